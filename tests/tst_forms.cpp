#include "ui_positionmode_axisparameter.h"
#include "ui_positionmode_orsax.h"
#include "ui_positionmode_veltrax.h"
#include "ui_positionmode_veltrax_ap.h"
#include "ui_positionmode_zell.h"

#include <QAbstractButton>
#include <QFormLayout>
#include <QGridLayout>
#include <QImage>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QSpinBox>
#include <QTranslator>
#include <QtTest>

#include <climits>
#include <memory>

namespace {

const QString kAxisParameter = QStringLiteral("PositionMode_AxisParameter");
const QString kVeltraxAp = QStringLiteral("PositionMode_Veltrax_AP");
const QString kOrsax = QStringLiteral("PositionMode_Orsax");
const QString kVeltrax = QStringLiteral("PositionMode_Veltrax");
const QString kZell = QStringLiteral("PositionMode_Zell");
const QStringList kAllForms{kAxisParameter, kVeltraxAp, kOrsax, kVeltrax, kZell};

template <typename Form>
void setUp(QWidget* root)
{
    Form().setupUi(root);
}

// Builds the named form on a plain widget; the widgets live on without the form object.
std::unique_ptr<QWidget> buildForm(const QString& form, const QString& presetName = QString())
{
    static const QHash<QString, void (*)(QWidget*)> setups{
        {kAxisParameter, &setUp<Ui_PositionMode_AxisParameter>},
        {kVeltraxAp, &setUp<Ui_PositionMode_Veltrax_AP>},
        {kOrsax, &setUp<Ui_PositionMode_Orsax>},
        {kVeltrax, &setUp<Ui_PositionMode_Veltrax>},
        {kZell, &setUp<Ui_PositionMode_Zell>},
    };
    auto root = std::make_unique<QWidget>();
    root->setObjectName(presetName);
    setups.value(form)(root.get());
    return root;
}

QString policyText(const QSizePolicy& policy)
{
    const QMetaEnum names = QMetaEnum::fromType<QSizePolicy::Policy>();
    return QStringLiteral("%1/%2").arg(QLatin1String(names.valueToKey(policy.horizontalPolicy())),
                                      QLatin1String(names.valueToKey(policy.verticalPolicy())));
}

QString itemText(QLayoutItem* item)
{
    if (QWidget* widget = item->widget())
        return widget->objectName();
    if (QLayout* layout = item->layout())
        return layout->objectName();
    const QSize hint = item->sizeHint();
    return QStringLiteral("spacer %1x%2 %3").arg(hint.width()).arg(hint.height()).arg(policyText(item->spacerItem()->sizePolicy()));
}

// One line per layout: its items in insertion order, with the cell for grid and form layouts.
QString layoutText(QLayout* layout)
{
    QStringList items;
    for (int i = 0; i < layout->count(); ++i) {
        QString text = itemText(layout->itemAt(i));
        if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
            int row, column, rowSpan, columnSpan;
            grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            text.prepend(QStringLiteral("%1,%2%3:").arg(row).arg(column).arg(rowSpan * columnSpan == 1 ? QString() : QStringLiteral("+")));
        } else if (auto* form = qobject_cast<QFormLayout*>(layout)) {
            int row;
            QFormLayout::ItemRole role;
            form->getItemPosition(i, &row, &role);
            text.prepend(QStringLiteral("%1,%2:").arg(row).arg(role));
        }
        items << text;
    }
    return items.join(QStringLiteral(", "));
}

QString stretchText(QLayout* layout)
{
    QStringList factors;
    if (auto* box = qobject_cast<QBoxLayout*>(layout)) {
        for (int i = 0; i < box->count(); ++i)
            factors << QString::number(box->stretch(i));
    }
    return factors.join(QLatin1Char(','));
}

// Marks every translated text with the context it was looked up in.
class ContextMarkingTranslator : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        return QString::fromUtf8(context) + QLatin1Char('|') + QString::fromUtf8(sourceText);
    }
};

bool sameIcon(const QIcon& a, const QIcon& b)
{
    for (QIcon::Mode mode : {QIcon::Normal, QIcon::Active}) {
        for (QIcon::State state : {QIcon::Off, QIcon::On}) {
            if (a.pixmap(16, mode, state).toImage() != b.pixmap(16, mode, state).toImage())
                return false;
        }
    }
    return true;
}

// Differences between two widget trees built by forms that should match except for the root's name.
void collectDifferences(QObject* a, QObject* b, const QString& path, QStringList& differences, int& compared)
{
    ++compared;
    if (qstrcmp(a->metaObject()->className(), b->metaObject()->className()) != 0) {
        differences << path + QStringLiteral(": class differs");
        return;
    }
    const QMetaObject* meta = a->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (path.isEmpty() && qstrcmp(property.name(), "objectName") == 0)
            continue;
        const QVariant left = property.read(a);
        const QVariant right = property.read(b);
        const bool same = left.userType() == QMetaType::QIcon ? sameIcon(left.value<QIcon>(), right.value<QIcon>())
                                                              : left != left || left == right; // left != left: no equality for the type
        if (!same)
            differences << path + QLatin1Char('.') + QLatin1String(property.name());
    }
    auto* layoutA = qobject_cast<QLayout*>(a);
    auto* layoutB = qobject_cast<QLayout*>(b);
    if (layoutA && (layoutText(layoutA) != layoutText(layoutB) || layoutA->contentsMargins() != layoutB->contentsMargins()
                    || stretchText(layoutA) != stretchText(layoutB)))
        differences << path + QStringLiteral(": items, margins or stretch differ");
    const QObjectList childrenA = a->children();
    const QObjectList childrenB = b->children();
    if (childrenA.size() != childrenB.size()) {
        differences << path + QStringLiteral(": child count differs");
        return;
    }
    for (int i = 0; i < childrenA.size(); ++i)
        collectDifferences(childrenA.at(i), childrenB.at(i), path + QLatin1Char('/') + childrenA.at(i)->objectName(), differences, compared);
}

void addFormRows(const QStringList& forms)
{
    QTest::addColumn<QString>("form");
    for (const QString& form : forms)
        QTest::newRow(qPrintable(form)) << form;
}

} // namespace

class tst_Forms : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void rootTakesTheFormNameOnlyWhenItHasNone_data();
    void rootTakesTheFormNameOnlyWhenItHasNone();
    void textsAndToolTipsComeFromTheFormsContext_data();
    void textsAndToolTipsComeFromTheFormsContext();
    void positionBoxesTakeEveryIntExceptTheLowest_data();
    void positionBoxesTakeEveryIntExceptTheLowest();
    void iconsShowTheHostPicturesForTheButtonState_data();
    void iconsShowTheHostPicturesForTheButtonState();
    void registerFormsDifferOnlyInTheirNames();
};

void tst_Forms::initTestCase()
{
    // The host library carries the icons; nothing else of it is used here, and without this
    // reference the linker would leave it out.
    Q_INIT_RESOURCE(host);
}

void tst_Forms::rootTakesTheFormNameOnlyWhenItHasNone_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QSize>("size");
    QTest::newRow("axis parameter") << kAxisParameter << QSize(469, 257);
    QTest::newRow("veltrax ap") << kVeltraxAp << QSize(1212, 368);
    QTest::newRow("orsax") << kOrsax << QSize(435, 198);
    QTest::newRow("veltrax") << kVeltrax << QSize(1203, 362);
    QTest::newRow("zell") << kZell << QSize(1203, 362);
}

void tst_Forms::rootTakesTheFormNameOnlyWhenItHasNone()
{
    QFETCH(QString, form);
    QFETCH(QSize, size);
    const auto unnamed = buildForm(form);
    QCOMPARE(unnamed->objectName(), form);
    QCOMPARE(unnamed->size(), size);
    const auto named = buildForm(form, QStringLiteral("givenByHost"));
    QCOMPARE(named->objectName(), QStringLiteral("givenByHost"));
}

void tst_Forms::textsAndToolTipsComeFromTheFormsContext_data()
{
    addFormRows(kAllForms);
}

// Every text a user reads is looked up in the form's own translation context,
// so that one translation file per tool covers it.
void tst_Forms::textsAndToolTipsComeFromTheFormsContext()
{
    QFETCH(QString, form);
    const auto plain = buildForm(form);
    ContextMarkingTranslator translator;
    QCoreApplication::installTranslator(&translator);
    const auto translated = buildForm(form);
    QCoreApplication::removeTranslator(&translator);

    const QList<QWidget*> plainWidgets = plain->findChildren<QWidget*>();
    const QList<QWidget*> translatedWidgets = translated->findChildren<QWidget*>();
    QCOMPARE(plainWidgets.size(), translatedWidgets.size());
    int texts = 0;
    for (int i = 0; i < plainWidgets.size(); ++i) {
        // Qt's own parts (a spin box's line edit) are not the form's.
        if (plainWidgets.at(i)->objectName().startsWith(QLatin1String("qt_")))
            continue;
        // A spin box's text is its value, not something to translate.
        const bool showsValue = qobject_cast<QAbstractSpinBox*>(plainWidgets.at(i));
        for (const char* property : {"text", "title", "toolTip"}) {
            if (showsValue && qstrcmp(property, "text") == 0)
                continue;
            const QString text = plainWidgets.at(i)->property(property).toString();
            if (text.isEmpty())
                continue;
            ++texts;
            QCOMPARE(translatedWidgets.at(i)->property(property).toString(), form + QLatin1Char('|') + text);
        }
    }
    QVERIFY2(texts >= 10, "the walk must reach the labels and buttons");
}

void tst_Forms::positionBoxesTakeEveryIntExceptTheLowest_data()
{
    addFormRows(kAllForms);
}

void tst_Forms::positionBoxesTakeEveryIntExceptTheLowest()
{
    QFETCH(QString, form);
    const auto root = buildForm(form);
    auto* target = root->findChild<QSpinBox*>(QStringLiteral("sbTargetPosition"));
    QVERIFY(target);
    QCOMPARE(target->value(), 0);
    QCOMPARE(target->alignment(), Qt::AlignCenter);
    target->stepUp();
    QCOMPARE(target->value(), 1000);
    target->setValue(INT_MAX);
    QCOMPARE(target->value(), INT_MAX);
    target->setValue(INT_MIN);
    QVERIFY2(target->value() == -INT_MAX, "the lowest int has no positive counterpart and stays out");

    auto* actual = root->findChild<QSpinBox*>(QStringLiteral("sbActualPosition"));
    if (form == kAxisParameter) {
        QVERIFY2(!actual, "the axis-parameter tool puts its own editor into the placeholder");
        return;
    }
    QVERIFY(actual);
    QVERIFY2(!actual->isEnabled(), "the user must not type into the actual position");
    QCOMPARE(actual->alignment(), Qt::AlignCenter);
    QCOMPARE(actual->minimum(), -INT_MAX);
    QCOMPARE(actual->maximum(), INT_MAX);
}

void tst_Forms::iconsShowTheHostPicturesForTheButtonState_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("mode"); // QIcon::Mode
    QTest::addColumn<bool>("clickFirst");
    QTest::addColumn<QString>("picture");
    for (const QString& form : kAllForms) {
        const QByteArray prefix = form.toLatin1();
        QTest::newRow(prefix + " absolute") << form << "btnMoveAbsolute" << int(QIcon::Normal) << false << ":/Editor/Redo";
        QTest::newRow(prefix + " relative") << form << "btnMoveRelative" << int(QIcon::Normal) << false << ":/Editor/Redo";
        QTest::newRow(prefix + " stop") << form << "btnStop" << int(QIcon::Normal) << false << ":/Player/Stop";
    }
    for (const QString& form : {kVeltraxAp, kVeltrax, kZell}) {
        const QByteArray prefix = form.toLatin1();
        QTest::newRow(prefix + " open") << form << "pbOpenClose" << int(QIcon::Normal) << false << ":/Player/rightBlack";
        QTest::newRow(prefix + " closed") << form << "pbOpenClose" << int(QIcon::Normal) << true << ":/Player/leftBlack";
    }
    QTest::newRow("axis parameter shown") << kAxisParameter << "btnHideController" << int(QIcon::Active) << false << ":/Player/Right";
    QTest::newRow("axis parameter hidden") << kAxisParameter << "btnHideController" << int(QIcon::Active) << true << ":/Player/Left";
}

void tst_Forms::iconsShowTheHostPicturesForTheButtonState()
{
    QFETCH(QString, form);
    QFETCH(QString, button);
    QFETCH(int, mode);
    QFETCH(bool, clickFirst);
    QFETCH(QString, picture);
    const QImage expected(picture);
    if (expected.isNull())
        QSKIP(qPrintable("the host resource " + picture + " is not available"));
    const auto root = buildForm(form);
    auto* found = root->findChild<QAbstractButton*>(button);
    QVERIFY2(found, qPrintable(button + " is missing"));
    if (clickFirst)
        found->click();
    // The state a push button paints with follows its checked flag.
    const QIcon::State state = found->isChecked() ? QIcon::On : QIcon::Off;
    const QImage shown = found->icon().pixmap(expected.size(), QIcon::Mode(mode), state).toImage();
    QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied), expected.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

void tst_Forms::registerFormsDifferOnlyInTheirNames()
{
    const auto veltrax = buildForm(kVeltrax);
    const auto zell = buildForm(kZell);
    QStringList differences;
    int compared = 0;
    collectDifferences(veltrax.get(), zell.get(), QString(), differences, compared);
    QVERIFY2(differences.isEmpty(), qPrintable(differences.join(QStringLiteral("; "))));
    QVERIFY2(compared > 30, "the walk must reach the whole tree");
}

QTEST_MAIN(tst_Forms)
#include "tst_forms.moc"
