#include "productreader.h"

#include "model/parametercontroller.h"
#include "model/xmlfeature.h"
#include "model/xmlparameterinterface.h"
#include "model/xmlproductic.h"
#include "model/xmlproductmodule.h"
#include "model/xmlvalueregister.h"
#include "model/xmlvalueregisterfield.h"

namespace {
constexpr qint64 kRegisterMask = 0xFFFFFFFFll;
constexpr qint64 kMaxAddress = 0xFFFF;
constexpr qint64 kMaxMotors = 8;
} // namespace

ProductReader::ProductReader(const QString& source)
    : m_source(source)
{
}

std::unique_ptr<SimulatedProduct> ProductReader::read(const QByteArray& xml, QString* error)
{
    m_reader.clear();
    m_reader.addData(xml);
    m_product.reset();
    m_motion = MotionWiring();
    m_binds.clear();
    m_error.clear();

    if (m_reader.readNextStartElement()) {
        if (m_reader.name() == QLatin1String("product"))
            readProduct();
        else
            fail(QStringLiteral("the document element must be <product>, not <%1>").arg(m_reader.name().toString()));
    }
    if (!failed() && !m_reader.hasError()) {
        // Anything after </product> other than whitespace and comments is an error.
        while (!m_reader.atEnd() && m_reader.readNext() != QXmlStreamReader::Invalid) {
            if (m_reader.isStartElement())
                fail(QStringLiteral("unexpected element <%1> after </product>").arg(m_reader.name().toString()));
        }
    }
    if (!failed() && !m_product && !m_reader.hasError())
        fail(QStringLiteral("no <product> element"));
    if (!failed())
        checkMotionSources();

    if (m_error.isEmpty() && m_reader.hasError()) {
        m_error = QStringLiteral("%1:%2:%3: error: %4")
                      .arg(m_source)
                      .arg(m_reader.lineNumber())
                      .arg(m_reader.columnNumber())
                      .arg(m_reader.errorString());
    }
    if (!m_error.isEmpty()) {
        if (error)
            *error = m_error;
        return nullptr;
    }
    auto product = std::make_unique<SimulatedProduct>();
    product->description = std::move(m_product);
    product->motion = m_motion;
    return product;
}

void ProductReader::readProduct()
{
    ProductDescription::Identity identity;
    identity.variant = int(requiredNumber("variant"));
    identity.designation = requiredText("designation");
    identity.name = requiredText("name");
    const qint64 address = optionalNumber("address", 1);
    const qint64 motors = optionalNumber("motors", 1);
    if (failed())
        return;
    if (identity.variant <= 0 || identity.variant > 254)
        return fail(QStringLiteral("variant %1 is not a product variant code (1..254)").arg(identity.variant));
    if (address < 0 || address > 255)
        return fail(QStringLiteral("module address %1 does not fit 8 bits").arg(address));
    if (motors < 1 || motors > kMaxMotors)
        return fail(QStringLiteral("motors must be 1..%1, not %2").arg(kMaxMotors).arg(motors));
    identity.address = quint8(address);
    identity.motors = int(motors);
    m_product = std::make_unique<ProductDescription>(identity);
    ProductDescription& product = *m_product;

    bool seenParameters = false;
    while (!failed() && m_reader.readNextStartElement()) {
        const QStringRef element = m_reader.name();
        if (element == QLatin1String("module") && !product.productModule()) {
            readModule();
        } else if (element == QLatin1String("parameters") && !seenParameters) {
            seenParameters = true;
            readParameters();
        } else if (element == QLatin1String("ic") && !product.ic()) {
            readIc();
        } else if (element == QLatin1String("motion") && m_binds.isEmpty()) {
            readMotion();
        } else {
            fail(QStringLiteral("unexpected element <%1> in <product>").arg(element.toString()));
        }
    }
}

void ProductReader::readModule()
{
    auto* module = new XmlProductModule(requiredText("name"));
    m_product->setProductModule(module);
    while (!failed() && m_reader.readNextStartElement()) {
        if (m_reader.name() != QLatin1String("feature")) {
            fail(QStringLiteral("unexpected element <%1> in <module>").arg(m_reader.name().toString()));
            return;
        }
        const QString category = requiredText("category");
        const qint64 index = optionalNumber("index", 0);
        const QString name = requiredText("name");
        const QString value = requiredText("value");
        if (failed())
            return;
        if (index < 0 || index > 255)
            return fail(QStringLiteral("feature index %1 does not fit 8 bits").arg(index));
        if (module->feature(name, quint8(index), category))
            return fail(QStringLiteral("duplicate feature \"%1\" (category \"%2\", index %3)").arg(name, category).arg(index));
        new XmlFeature(category, quint8(index), name, value, module);
        m_reader.skipCurrentElement();
    }
}

void ProductReader::readParameters()
{
    QSet<int> numbers;
    while (!failed() && m_reader.readNextStartElement()) {
        if (m_reader.name() != QLatin1String("parameter")) {
            fail(QStringLiteral("unexpected element <%1> in <parameters>").arg(m_reader.name().toString()));
            return;
        }
        XmlParameterInterface::Description description;
        description.role = requiredText("role");
        description.number = int(requiredNumber("number"));
        description.name = requiredText("name");
        description.minimum = requiredNumber("min");
        description.maximum = requiredNumber("max");
        description.defaultValue = optionalNumber("default", 0);
        description.available = optionalBool("available", true);
        description.granularity = optionalNumber("granularity", 1);
        description.description = m_reader.attributes().value(QLatin1String("description")).toString();
        if (failed())
            return;
        if (!Model::ParameterController::roles().contains(description.role))
            return fail(QStringLiteral("unknown parameter role \"%1\"").arg(description.role));
        if (m_product->parameter(description.role))
            return fail(QStringLiteral("duplicate parameter role \"%1\"").arg(description.role));
        if (numbers.contains(description.number))
            return fail(QStringLiteral("duplicate parameter number %1").arg(description.number));
        if (description.minimum > description.maximum)
            return fail(QStringLiteral("parameter \"%1\": min %2 is above max %3")
                            .arg(description.role).arg(description.minimum).arg(description.maximum));
        if (description.defaultValue < description.minimum || description.defaultValue > description.maximum)
            return fail(QStringLiteral("parameter \"%1\": default %2 is outside %3..%4")
                            .arg(description.role).arg(description.defaultValue)
                            .arg(description.minimum).arg(description.maximum));
        if (description.granularity < 1)
            return fail(QStringLiteral("parameter \"%1\": granularity must be at least 1").arg(description.role));
        numbers.insert(description.number);
        m_product->addParameter(new XmlParameterInterface(description));
        m_reader.skipCurrentElement();
    }
}

void ProductReader::readIc()
{
    auto* ic = new XmlProductIC(requiredText("name"));
    m_product->setIc(ic);
    while (!failed() && m_reader.readNextStartElement()) {
        if (m_reader.name() == QLatin1String("register"))
            readRegister(ic);
        else if (m_reader.name() == QLatin1String("field"))
            readField(ic);
        else
            fail(QStringLiteral("unexpected element <%1> in <ic>").arg(m_reader.name().toString()));
    }
}

void ProductReader::readRegister(XmlProductIC* ic)
{
    const QString name = requiredText("name");
    const qint64 address = requiredNumber("address");
    const qint64 defaultValue = optionalNumber("default", 0);
    if (failed())
        return;
    if (address < 0 || address > kMaxAddress)
        return fail(QStringLiteral("register \"%1\": address %2 does not fit 16 bits").arg(name).arg(address));
    if (defaultValue < -0x80000000ll || defaultValue > kRegisterMask)
        return fail(QStringLiteral("register \"%1\": default %2 does not fit 32 bits").arg(name).arg(defaultValue));
    if (ic->getRegisterByName(name, true) || ic->getRegisterFieldByName(name, true))
        return fail(QStringLiteral("duplicate name \"%1\"").arg(name));
    if (XmlValueRegister* other = ic->registerAt(quint16(address)))
        return fail(QStringLiteral("register \"%1\": address 0x%2 is already used by \"%3\"")
                        .arg(name).arg(address, 0, 16).arg(other->name()));
    new XmlValueRegister(name, quint16(address), quint32(quint64(defaultValue)), ic);
    m_reader.skipCurrentElement();
}

void ProductReader::readField(XmlProductIC* ic)
{
    const QString name = requiredText("name");
    const QString registerName = requiredText("register");
    const qint64 mask = requiredNumber("mask");
    const bool isSigned = optionalBool("signed", false);
    if (failed())
        return;
    if (mask <= 0 || mask > kRegisterMask)
        return fail(QStringLiteral("field \"%1\": mask 0x%2 does not fit 32 bits").arg(name).arg(quint64(mask), 0, 16));
    const quint32 bits = quint32(mask);
    int lowest = 0;
    while (!((bits >> lowest) & 1u))
        ++lowest;
    if (((bits >> lowest) & ((bits >> lowest) + 1)) != 0)
        return fail(QStringLiteral("field \"%1\": mask 0x%2 is not one run of bits").arg(name).arg(bits, 0, 16));
    const qint64 shift = optionalNumber("shift", lowest);
    if (failed())
        return;
    if (shift != lowest)
        return fail(QStringLiteral("field \"%1\": shift %2 does not match mask 0x%3 (lowest bit %4)")
                        .arg(name).arg(shift).arg(bits, 0, 16).arg(lowest));

    XmlValueRegisterField::Layout layout;
    layout.mask = bits;
    layout.shift = lowest;
    layout.isSigned = isSigned;
    const qint64 naturalMin = XmlValueRegisterField::naturalMinimum(bits, lowest, isSigned);
    const qint64 naturalMax = XmlValueRegisterField::naturalMaximum(bits, lowest, isSigned);
    layout.minimum = optionalNumber("min", naturalMin);
    layout.maximum = optionalNumber("max", naturalMax);
    layout.available = optionalBool("available", true);
    if (failed())
        return;
    if (layout.minimum > layout.maximum || layout.minimum < naturalMin || layout.maximum > naturalMax)
        return fail(QStringLiteral("field \"%1\": range %2..%3 does not fit its bits (%4..%5)")
                        .arg(name).arg(layout.minimum).arg(layout.maximum).arg(naturalMin).arg(naturalMax));

    XmlValueRegister* reg = ic->getRegisterByName(registerName, true);
    if (!reg)
        return fail(QStringLiteral("field \"%1\" names the unknown register \"%2\"").arg(name, registerName));
    if (ic->getRegisterByName(name, true) && ic->getRegisterByName(name, true) != reg)
        return fail(QStringLiteral("duplicate name \"%1\"").arg(name));
    if (ic->getRegisterFieldByName(name, true))
        return fail(QStringLiteral("duplicate name \"%1\"").arg(name));
    new XmlValueRegisterField(name, reg, layout, ic);
    m_reader.skipCurrentElement();
}

void ProductReader::readMotion()
{
    const QString profile = requiredText("profile");
    if (failed())
        return;
    MotionWiring& motion = m_motion;
    if (profile == QLatin1String("direct"))
        motion.profile = RampGenerator::Profile::Direct;
    else if (profile == QLatin1String("trapezoid"))
        motion.profile = RampGenerator::Profile::Trapezoid;
    else if (profile == QLatin1String("eightpoint"))
        motion.profile = RampGenerator::Profile::EightPoint;
    else
        return fail(QStringLiteral("unknown motion profile \"%1\" (direct, trapezoid or eightpoint)").arg(profile));
    motion.velocityScale = optionalScale("velocityScale");
    motion.accelerationScale = optionalScale("accelerationScale");
    if (failed())
        return;

    const QStringList roles = MotionWiring::roles();
    while (!failed() && m_reader.readNextStartElement()) {
        if (m_reader.name() != QLatin1String("use"))
            return fail(QStringLiteral("unexpected element <%1> in <motion>").arg(m_reader.name().toString()));
        PendingBind bind;
        bind.line = m_reader.lineNumber();
        bind.column = m_reader.columnNumber();
        bind.role = requiredText("role");
        if (failed())
            return;
        if (!roles.contains(bind.role))
            return fail(QStringLiteral("unknown motion role \"%1\"").arg(bind.role));
        if (motion.sources.contains(bind.role))
            return fail(QStringLiteral("motion role \"%1\" is wired twice").arg(bind.role));
        const QXmlStreamAttributes attributes = m_reader.attributes();
        using Source = MotionWiring::Source;
        const std::pair<const char*, Source::Kind> kinds[] = {
            {"register", Source::Register}, {"field", Source::Field}, {"parameter", Source::Parameter}};
        int given = 0;
        for (const auto& kind : kinds) {
            if (attributes.hasAttribute(QLatin1String(kind.first))) {
                ++given;
                bind.source.kind = kind.second;
                bind.source.name = attributes.value(QLatin1String(kind.first)).toString();
            }
        }
        if (given != 1)
            return fail(QStringLiteral("motion role \"%1\" needs exactly one of register, field or parameter").arg(bind.role));
        bind.source.value = optionalNumber("value", 0);
        if (failed())
            return;
        motion.sources.insert(bind.role, bind.source);
        m_binds.append(bind);
        m_reader.skipCurrentElement();
    }
}

void ProductReader::checkMotionSources()
{
    const XmlProductIC* ic = m_product->ic();
    for (const PendingBind& bind : qAsConst(m_binds)) {
        bool known = false;
        switch (bind.source.kind) {
        case MotionWiring::Source::Register:
            known = ic && ic->getRegisterByName(bind.source.name, true);
            break;
        case MotionWiring::Source::Field:
            known = ic && ic->getRegisterFieldByName(bind.source.name, true);
            break;
        case MotionWiring::Source::Parameter:
            known = m_product->parameter(bind.source.name) != nullptr;
            break;
        }
        if (!known) {
            return failAt(bind.line, bind.column,
                          QStringLiteral("motion role \"%1\" names \"%2\", which the product does not have")
                              .arg(bind.role, bind.source.name));
        }
    }
}

QString ProductReader::requiredText(const char* attribute)
{
    if (failed())
        return QString();
    const QXmlStreamAttributes attributes = m_reader.attributes();
    if (!attributes.hasAttribute(QLatin1String(attribute))) {
        fail(QStringLiteral("<%1> lacks the attribute \"%2\"").arg(m_reader.name().toString(), QLatin1String(attribute)));
        return QString();
    }
    QString text = attributes.value(QLatin1String(attribute)).toString().trimmed();
    if (text.isEmpty())
        fail(QStringLiteral("<%1> has an empty \"%2\"").arg(m_reader.name().toString(), QLatin1String(attribute)));
    return text;
}

qint64 ProductReader::requiredNumber(const char* attribute)
{
    const QString text = requiredText(attribute);
    return failed() ? 0 : parseNumber(text, attribute);
}

qint64 ProductReader::optionalNumber(const char* attribute, qint64 fallback)
{
    if (failed() || !m_reader.attributes().hasAttribute(QLatin1String(attribute)))
        return fallback;
    return parseNumber(requiredText(attribute), attribute);
}

bool ProductReader::optionalBool(const char* attribute, bool fallback)
{
    if (failed() || !m_reader.attributes().hasAttribute(QLatin1String(attribute)))
        return fallback;
    const QString text = m_reader.attributes().value(QLatin1String(attribute)).toString();
    if (text == QLatin1String("true"))
        return true;
    if (text == QLatin1String("false"))
        return false;
    fail(QStringLiteral("\"%1\" must be true or false, not \"%2\"").arg(QLatin1String(attribute), text));
    return fallback;
}

double ProductReader::optionalScale(const char* attribute)
{
    if (failed() || !m_reader.attributes().hasAttribute(QLatin1String(attribute)))
        return 1.0;
    const QString text = m_reader.attributes().value(QLatin1String(attribute)).toString();
    bool ok = false;
    const double scale = text.toDouble(&ok);
    if (!ok || !(scale > 0.0) || scale > 1e9) {
        fail(QStringLiteral("\"%1\" must be a positive number, not \"%2\"").arg(QLatin1String(attribute), text));
        return 1.0;
    }
    return scale;
}

qint64 ProductReader::parseNumber(const QString& text, const char* attribute)
{
    if (failed())
        return 0;
    QString digits = text;
    const bool negative = digits.startsWith(QLatin1Char('-'));
    if (negative)
        digits.remove(0, 1);
    bool ok = false;
    qint64 magnitude = 0;
    if (digits.startsWith(QLatin1String("0x")) || digits.startsWith(QLatin1String("0X")))
        magnitude = digits.mid(2).toLongLong(&ok, 16);
    else if (!digits.isEmpty() && digits.at(0).isDigit())
        magnitude = digits.toLongLong(&ok, 10);
    if (!ok || magnitude < 0) {
        fail(QStringLiteral("\"%1\" is not a number: \"%2\"").arg(QLatin1String(attribute), text));
        return 0;
    }
    return negative ? -magnitude : magnitude;
}

void ProductReader::fail(const QString& message)
{
    failAt(m_reader.lineNumber(), m_reader.columnNumber(), message);
}

void ProductReader::failAt(qint64 line, qint64 column, const QString& message)
{
    if (m_error.isEmpty())
        m_error = QStringLiteral("%1:%2:%3: error: %4").arg(m_source).arg(line).arg(column).arg(message);
}
