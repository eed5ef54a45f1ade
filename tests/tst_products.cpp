// SPDX-License-Identifier: MIT
#include "model/productdescription.h"
#include "model/xmlfeature.h"
#include "model/xmlparameterinterface.h"
#include "model/xmlproductic.h"
#include "model/xmlproductmodule.h"
#include "model/xmlvalueregister.h"
#include "model/xmlvalueregisterfield.h"
#include "products/boundedfile.h"
#include "products/productreader.h"
#include "products/simulatedproduct.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A small valid product; the error cases below each break one thing in it.
const char kProduct[] = R"(<?xml version="1.0"?>
<product variant="77" designation="T" name="Test module" address="9" motors="2">
  <module name="T-M">
    <feature category="axis" index="0" name="HintSupport" value="true"/>
  </module>
  <parameters>
    <parameter role="targetPosition" number="0" name="Target" min="-100" max="100" default="0"/>
  </parameters>
  <ic name="T-IC">
    <register name="CONFIG" address="0x20" default="0x00000150"/>
    <field name="MODE" register="CONFIG" mask="0x0000000F"/>
    <field name="OFFSET" register="CONFIG" mask="0x0000FF00" shift="8" signed="true"/>
    <field name="LIMITED" register="CONFIG" mask="0x00FF0000" min="0" max="100"/>
  </ic>
  <motion profile="direct">
    <use role="target" parameter="targetPosition"/>
    <use role="mode" field="MODE" value="3"/>
  </motion>
</product>
)";

QByteArray broken(const QByteArray& from, const QByteArray& to)
{
    QByteArray xml(kProduct);
    Q_ASSERT(xml.contains(from));
    return xml.replace(from, to);
}
} // namespace

class tst_Products : public QObject
{
    Q_OBJECT

private slots:
    void productDescribesModuleParametersAndRegisterMap();
    void fieldsAreCutOutOfTheirRegister_data();
    void fieldsAreCutOutOfTheirRegister();
    void malformedProductsAreRefusedWithFileLineAndColumn_data();
    void malformedProductsAreRefusedWithFileLineAndColumn();
    void productFilesAreReadFromRegularFilesAndPipesOnly_data();
    void productFilesAreReadFromRegularFilesAndPipesOnly();
};

void tst_Products::productDescribesModuleParametersAndRegisterMap()
{
    QString error;
    const auto file = SimulatedProduct::fromXml(kProduct, QStringLiteral("t.xml"), &error);
    QVERIFY2(file, qPrintable(error));
    const ProductDescription* product = file->description.get();

    const XmlFeature* feature = product->productModule()->feature(QStringLiteral("HintSupport"), 0,
                                                                  QStringLiteral("axis"));
    QVERIFY(feature);
    QCOMPARE(feature->value(), QStringLiteral("true"));
    QVERIFY(!product->productModule()->feature(QStringLiteral("HintSupport"), 1, QStringLiteral("axis")));
    QVERIFY(!product->productModule()->feature(QStringLiteral("HintSupport"), 0, QStringLiteral("motor")));

    QVERIFY(product->parameter(QStringLiteral("targetPosition")));

    XmlProductIC* ic = product->ic();
    XmlValueRegister* config = ic->getRegisterByName(QStringLiteral("CONFIG"), true);
    QVERIFY(config);
    QCOMPARE(config->address(), quint16(0x20));
    QCOMPARE(ic->registerAt(0x20), config);
    QCOMPARE(config->fields().size(), 3);
    QVERIFY(!ic->getRegisterByName(QStringLiteral("config"), true));
    XmlValueRegisterField* offset = ic->getRegisterFieldByName(QStringLiteral("OFFSET"), true);
    QCOMPARE(offset->getRegister(), config);
    QCOMPARE(ic->getRegisterFieldByName(QStringLiteral("LIMITED"), true)->maximum(), 100);
}

void tst_Products::fieldsAreCutOutOfTheirRegister_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<qlonglong>("registerValue");
    QTest::addColumn<qlonglong>("fieldValue");

    QTest::newRow("low bits") << "MODE" << 0x00000153ll << 3ll;
    QTest::newRow("signed positive") << "OFFSET" << 0x00007F00ll << 127ll;
    QTest::newRow("signed negative") << "OFFSET" << 0x0000FF00ll << -1ll;
    QTest::newRow("signed minimum") << "OFFSET" << 0x00008000ll << -128ll;
    QTest::newRow("register as negative int") << "OFFSET" << -256ll << -1ll;
    QTest::newRow("unsigned middle") << "LIMITED" << 0xFF2AFFFFll << 0x2All;
}

void tst_Products::fieldsAreCutOutOfTheirRegister()
{
    QFETCH(QString, field);
    QFETCH(qlonglong, registerValue);
    QFETCH(qlonglong, fieldValue);
    QString error;
    const auto product = SimulatedProduct::fromXml(kProduct, QStringLiteral("t.xml"), &error);
    QCOMPARE(product->description->ic()->getRegisterFieldByName(field, true)->getFieldValue(registerValue), fieldValue);
}

void tst_Products::malformedProductsAreRefusedWithFileLineAndColumn_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("message");

    // Each a change of the valid product: what is replaced, by what, and the message.
    const struct
    {
        const char *tag, *from, *to, *message;
    } changes[] = {
        {"bad xml", "</module>", "</modul>", "t.xml:5:10: error: Opening and ending tag mismatch."},
        {"unknown register", "register=\"CONFIG\" mask=\"0x0000000F\"", "register=\"CONFIX\" mask=\"0x0000000F\"",
         "t.xml:11:60: error: field \"MODE\" names the unknown register \"CONFIX\""},
        {"duplicate field", "name=\"LIMITED\"", "name=\"MODE\"", "t.xml:13:78: error: duplicate name \"MODE\""},
        {"mask beyond 32 bits", "0x0000FF00", "0x1FFFFFFFF",
         "t.xml:12:87: error: field \"OFFSET\": mask 0x1FFFFFFFF does not fit 32 bits"},
        {"mask with a gap", "0x0000000F", "0x00000009",
         "t.xml:11:60: error: field \"MODE\": mask 0x00000009 is not one run of bits"},
        {"shift off the mask", "shift=\"8\"", "shift=\"4\"",
         "t.xml:12:86: error: field \"OFFSET\": shift 4 does not match mask 0x0000FF00 (lowest bit 8)"},
        {"range beyond bits", "max=\"100\"/>\n  </ic>", "max=\"300\"/>\n  </ic>",
         "t.xml:13:81: error: field \"LIMITED\": range 0..300 does not fit its bits (0..255)"},
        {"duplicate address", "</ic>", "<register name=\"OTHER\" address=\"32\"/></ic>",
         "t.xml:14:39: error: register \"OTHER\": address 0x20 is already used by \"CONFIG\""},
        {"not a number", "address=\"0x20\"", "address=\"0x2G\"",
         "t.xml:10:65: error: \"address\" is not a number: \"0x2G\""},
        {"missing attribute", " name=\"Target\"", "", "t.xml:7:82: error: <parameter> lacks the attribute \"name\""},
        {"unknown role", "role=\"targetPosition\" number", "role=\"targetPos\" number",
         "t.xml:7:91: error: unknown parameter role \"targetPos\""},
        {"unknown element", "<parameters>", "<parameters><param/>",
         "t.xml:6:22: error: unexpected element <param> in <parameters>"},
        {"motion names nothing", "field=\"MODE\" value", "field=\"MOOD\" value",
         "t.xml:17:45: error: motion role \"mode\" names \"MOOD\", which the product does not have"},
        {"variant beyond 32 bits", "variant=\"77\"", "variant=\"4294967336\"",
         "t.xml:2:88: error: variant 4294967336 is not a product variant code (1..254)"},
        {"parameter number beyond 64 bits", "number=\"0\"", "number=\"9223372036854775807\"",
         "t.xml:7:114: error: parameter \"targetPosition\": number 9223372036854775807 is outside 0..2147483647"},
        {"smallest 64-bit value", "min=\"0\" max=\"100\"", "min=\"-9223372036854775808\" max=\"100\"",
         "t.xml:13:100: error: field \"LIMITED\": range -9223372036854775808..100 does not fit its bits (0..255)"},
        {"negative mask", "mask=\"0x0000000F\"", "mask=\"-0x10\"",
         "t.xml:11:55: error: field \"MODE\": mask -0x10 does not fit 32 bits"},
        {"sign after 0x", "address=\"0x20\"", "address=\"0x+5\"",
         "t.xml:10:65: error: \"address\" is not a number: \"0x+5\""},
        {"misspelt attribute", "address=\"0x20\"", "adress=\"0x20\"",
         "t.xml:10:64: error: <register> has the unknown attribute \"adress\""},
        {"stray text", "<ic name=\"T-IC\">", "<ic name=\"T-IC\">stray",
         "t.xml:9:19: error: unexpected text \"stray\" in <ic>"},
        {"entity declarations", "?>\n", "?>\n<!DOCTYPE product [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>\n",
         "t.xml:2:1: error: DOCTYPE and entity declarations are not allowed"},
        {"overlapping masks", "mask=\"0x00FF0000\"", "mask=\"0x00FFFF00\"",
         "t.xml:13:81: error: field \"LIMITED\": mask 0x00FFFF00 overlaps field \"OFFSET\" of register \"CONFIG\""},
        {"second motion section", "</product>", "<motion profile=\"direct\"/></product>",
         "t.xml:19:26: error: a second <motion> section in <product>"},
        {"line break in a name", "name=\"Target\"", "name=\"Tar&#10;get\"",
         "t.xml:7:101: error: <parameter> \"name\" holds a control character: \"Tar\\nget\""},
        {"mode value beyond its field", "value=\"3\"", "value=\"16\"",
         "t.xml:17:46: error: motion role \"mode\": value 16 is outside 0..15 of \"MODE\""},
    };
    for (const auto& change : changes)
        QTest::newRow(change.tag) << broken(change.from, change.to) << QString(change.message);
    QTest::newRow("no product") << QByteArray("<?xml version=\"1.0\"?>\n<thing/>")
                                << "t.xml:2:8: error: the document element must be <product>, not <thing>";
    QTest::newRow("empty file") << QByteArray() << "t.xml:1:0: error: Premature end of document.";

    // Files that are wrong in ways a lenient reader would take for something else.
    // A long text is quoted by its first and last 30 characters.
    const QByteArray longName = QByteArray(ProductReader::kMaxNameLength, 'N') + 'Z';
    const QByteArray longText = 'A' + QByteArray(ProductReader::kMaxDescriptionLength, 'D');
    QTest::newRow("name too long")
        << broken("designation=\"T\"", "designation=\"" + longName + "\"")
        << "t.xml:2:336: error: <product> \"designation\" is 257 characters long, more than 256: "
           "\"" + QString(30, 'N')
               + "..." + QString(29, 'N') + "Z\"";
    QTest::newRow("description too long")
        << broken("name=\"Target\"", "name=\"Target\" description=\"" + longText + "\"")
        << "t.xml:7:1136: error: <parameter> \"description\" is 1025 characters long, more than 1024: "
           "\"A"
               + QString(29, 'D') + "..." + QString(30, 'D') + "\"";
    QTest::newRow("deep nesting") << broken(
        "value=\"true\"/>", "value=\"true\">" + QByteArray(100000 * 3, 'x').replace("xxx", "<x>") + "</feature>")
                                  << "t.xml:4:74: error: unexpected element <x> in <feature>";
    QByteArray attributes;
    for (int i = 0; i <= ProductReader::kMaxAttributes; ++i)
        attributes += " a" + QByteArray::number(i) + "=''";
    QTest::newRow("too many attributes") << broken("<ic name=\"T-IC\"", "<ic" + attributes)
                                         << "t.xml:9:3: error: <ic> has more than 64 attributes";
    QTest::newRow("control character quoted") << QByteArray("<?xml version=\"1.0\" encoding=\"a\nb\"?>\n<product/>")
                                              << "t.xml:2:4: error: a\\nb is an invalid encoding name.";
}

void tst_Products::malformedProductsAreRefusedWithFileLineAndColumn()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, message);
    QString error;
    QVERIFY(!SimulatedProduct::fromXml(xml, QStringLiteral("t.xml"), &error));
    QCOMPARE(error, message);
}

void tst_Products::productFilesAreReadFromRegularFilesAndPipesOnly_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("why"); // empty: the product loads
    QTest::newRow("regular file") << "file"
                                  << "";
    QTest::newRow("pipe") << "pipe"
                          << "";
    QTest::newRow("missing") << "missing"
                             << "No such file or directory";
    QTest::newRow("device") << "/dev/zero"
                            << "it is not a regular file or a pipe";
    QTest::newRow("too large") << "large"
                               << "it is larger than 16 MiB";
}

void tst_Products::productFilesAreReadFromRegularFilesAndPipesOnly()
{
    QFETCH(QString, file);
    QFETCH(QString, why);
    QTemporaryDir dir;
    QString path = dir.filePath(file);
    std::thread writer;
    if (file == QLatin1String("file") || file == QLatin1String("large")) {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(kProduct);
        if (file == QLatin1String("large"))
            QVERIFY(out.resize(BoundedFile::MostUserFileBytes + 1));
    } else if (file == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        writer = std::thread([path] {
            QFile out(path);
            if (out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
                out.write(kProduct);
        });
    } else if (file.startsWith(QLatin1Char('/'))) {
        path = file;
    }
    QString error;
    const auto product = SimulatedProduct::fromFile(path, &error);
    if (writer.joinable()) {
        // Lets the writer go should the reader never have opened the pipe.
        const int unblock = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
        writer.join();
        ::close(unblock);
    }
    if (why.isEmpty()) {
        QVERIFY2(product, qPrintable(error));
        QCOMPARE(product->description->variant(), 77);
    } else {
        QVERIFY(!product);
        QCOMPARE(error, path + QStringLiteral(": error: cannot read the product file: ") + why);
    }
}

QTEST_GUILESS_MAIN(tst_Products)
#include "tst_products.moc"
