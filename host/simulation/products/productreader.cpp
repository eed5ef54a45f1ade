// SPDX-License-Identifier: MIT
#include "productreader.h"

#include "core/excerpt.h"
#include "model/parametercontroller.h"
#include "model/xmlfeature.h"
#include "model/xmlparameterinterface.h"
#include "model/xmlproductic.h"
#include "model/xmlproductmodule.h"
#include "model/xmlvalueregister.h"
#include "model/xmlvalueregisterfield.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace {
constexpr qint64 kRegisterMask = 0xFFFFFFFFll;
constexpr qint64 kRegisterMinimum = -0x80000000ll;
constexpr qint64 kMaxAddress = 0xFFFF;
constexpr qint64 kMaxMotors = 8;
// Text from the file as it goes into a message.
QString shown(const QString& text)
{
    return Excerpt::of(text);
}

QString shown(const QStringRef& text)
{
    return Excerpt::of(text);
}

// A message is one line: control characters from the file (an encoding name
// Qt quotes, a character reference in a name) are shown escaped.
QString oneLine(const QString& message)
{
    QString line;
    line.reserve(message.size());
    for (const QChar c : message) {
        if (c == QLatin1Char('\n'))
            line += QLatin1String("\\n");
        else if (c == QLatin1Char('\r'))
            line += QLatin1String("\\r");
        else if (c == QLatin1Char('\t'))
            line += QLatin1String("\\t");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            line += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            line += c;
    }
    return line;
}

int digitValue(QChar c, int base)
{
    const ushort u = c.unicode();
    int digit = base;
    if (u >= '0' && u <= '9')
        digit = u - '0';
    else if (u >= 'a' && u <= 'f')
        digit = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F')
        digit = u - 'A' + 10;
    return digit < base ? digit : -1;
}
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
    m_seenMotion = false;
    m_registers.clear();
    m_fields.clear();
    m_addresses.clear();
    m_features.clear();
    m_parameterNumbers.clear();
    m_error.clear();

    scanTags(xml);
    if (!failed() && nextChild(QString())) {
        if (m_reader.name() == QLatin1String("product"))
            readProduct();
        else
            fail(QStringLiteral("the document element must be <product>, not <%1>").arg(shown(m_reader.name())));
    }
    // Anything after </product> other than whitespace and comments is an error.
    if (!failed() && m_product && nextChild(QString()))
        fail(QStringLiteral("unexpected element <%1> after </product>").arg(shown(m_reader.name())));
    if (!failed() && !m_product)
        fail(QStringLiteral("no <product> element"));
    if (!failed())
        checkMotionSources();

    if (m_error.isEmpty() && m_reader.hasError()) {
        m_error = oneLine(QStringLiteral("%1:%2:%3: error: %4")
                              .arg(m_source)
                              .arg(m_reader.lineNumber())
                              .arg(m_reader.columnNumber())
                              .arg(m_reader.errorString()));
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

// A quick pass over the bytes before the XML parser: counts the attributes of
// each tag and refuses DOCTYPEs. Comments, CDATA sections and processing
// instructions are passed over; whatever else is wrong is left to the parser.
void ProductReader::scanTags(const QByteArray& xml)
{
    const char* const begin = xml.constData();
    const char* const end = begin + xml.size();
    const auto skipPast = [end](const char* from, const char* marker) {
        const char* found = std::search(from, end, marker, marker + qstrlen(marker));
        return found == end ? end : found + qstrlen(marker);
    };
    const auto startsWith = [end](const char* at, const char* marker) {
        const int length = int(qstrlen(marker));
        return end - at >= length && std::equal(marker, marker + length, at);
    };
    // Columns count characters from 1, so that the column points at the "<".
    const auto failAtByte = [&](const char* at, const QString& message) {
        qint64 line = 1;
        qint64 column = 1;
        for (const char* c = begin; c < at; ++c) {
            if (*c == '\n') {
                ++line;
                column = 1;
            } else if ((uchar(*c) & 0xC0) != 0x80) {
                ++column;
            }
        }
        failAt(line, column, message);
    };
    const char* at = begin;
    while ((at = std::find(at, end, '<')) != end) {
        if (startsWith(at, "<!--"))
            at = skipPast(at, "-->");
        else if (startsWith(at, "<![CDATA["))
            at = skipPast(at, "]]>");
        else if (startsWith(at, "<?"))
            at = skipPast(at, "?>");
        else if (startsWith(at, "<!"))
            return failAtByte(at, QStringLiteral("DOCTYPE and entity declarations are not allowed"));
        else {
            const char* const tag = at;
            int attributes = 0;
            char quote = 0;
            for (++at; at != end && (quote || *at != '>'); ++at) {
                if (quote)
                    quote = *at == quote ? '\0' : quote;
                else if (*at == '"' || *at == '\'')
                    quote = *at;
                else if (*at == '=')
                    ++attributes;
            }
            if (attributes > kMaxAttributes) {
                const char* name = tag + 1;
                while (name != at && !std::isspace(uchar(*name)) && *name != '/' && *name != '>')
                    ++name;
                return failAtByte(tag, QStringLiteral("<%1> has more than %2 attributes")
                                           .arg(shown(QString::fromUtf8(tag + 1, int(name - tag - 1))))
                                           .arg(kMaxAttributes));
            }
        }
    }
}

void ProductReader::readProduct()
{
    checkAttributes({"variant", "designation", "name", "address", "motors"});
    ProductDescription::Identity identity;
    const Number variant = requiredNumber("variant");
    identity.designation = requiredText("designation");
    identity.name = requiredText("name");
    const Number address = optionalNumber("address", 1);
    const Number motors = optionalNumber("motors", 1);
    if (failed())
        return;
    if (!variant.within(1, 254))
        return fail(QStringLiteral("variant %1 is not a product variant code (1..254)").arg(variant.text));
    if (!address.within(0, 255))
        return fail(QStringLiteral("module address %1 does not fit 8 bits").arg(address.text));
    if (!motors.within(1, kMaxMotors))
        return fail(QStringLiteral("motors must be 1..%1, not %2").arg(kMaxMotors).arg(motors.text));
    identity.variant = int(variant.value);
    identity.address = quint8(address.value);
    identity.motors = int(motors.value);
    m_product = std::make_unique<ProductDescription>(identity);
    ProductDescription& product = *m_product;

    bool seenParameters = false;
    const QString parent = QStringLiteral("product");
    while (!failed() && nextChild(parent)) {
        const QStringRef element = m_reader.name();
        bool again = false;
        if (element == QLatin1String("module")) {
            again = product.productModule();
            if (!again)
                readModule();
        } else if (element == QLatin1String("parameters")) {
            again = seenParameters;
            seenParameters = true;
            if (!again)
                readParameters();
        } else if (element == QLatin1String("ic")) {
            again = product.ic();
            if (!again)
                readIc();
        } else if (element == QLatin1String("motion")) {
            again = m_seenMotion;
            m_seenMotion = true;
            if (!again)
                readMotion();
        } else {
            fail(QStringLiteral("unexpected element <%1> in <product>").arg(shown(element)));
        }
        if (again)
            fail(QStringLiteral("a second <%1> section in <product>").arg(element.toString()));
    }
}

void ProductReader::readModule()
{
    checkAttributes({"name"});
    auto* module = new XmlProductModule(requiredText("name"));
    m_product->setProductModule(module);
    const QString parent = QStringLiteral("module");
    while (!failed() && nextChild(parent)) {
        if (m_reader.name() != QLatin1String("feature"))
            return fail(QStringLiteral("unexpected element <%1> in <module>").arg(shown(m_reader.name())));
        checkAttributes({"category", "index", "name", "value"});
        const QString category = requiredText("category");
        const Number index = optionalNumber("index", 0);
        const QString name = requiredText("name");
        const QString value = requiredText("value");
        if (failed())
            return;
        if (!index.within(0, 255))
            return fail(QStringLiteral("feature index %1 does not fit 8 bits").arg(index.text));
        // The category's length keeps keys of different triples apart.
        const QString key = QStringLiteral("%1:%2:%3:%4").arg(category.size()).arg(category).arg(index.value).arg(name);
        if (m_features.contains(key))
            return fail(
                QStringLiteral("duplicate feature \"%1\" (category \"%2\", index %3)").arg(name, category).arg(index.value));
        m_features.insert(key);
        new XmlFeature(category, quint8(index.value), name, value, module);
        expectNoChildren();
    }
}

void ProductReader::readParameters()
{
    checkAttributes({});
    const QString parent = QStringLiteral("parameters");
    while (!failed() && nextChild(parent)) {
        if (m_reader.name() != QLatin1String("parameter"))
            return fail(QStringLiteral("unexpected element <%1> in <parameters>").arg(shown(m_reader.name())));
        checkAttributes({"role", "number", "name", "min", "max", "default", "available", "granularity", "description"});
        XmlParameterInterface::Description description;
        description.role = requiredText("role");
        const Number number = requiredNumber("number");
        description.name = requiredText("name");
        const Number minimum = requiredNumber("min");
        const Number maximum = requiredNumber("max");
        const Number defaultValue = optionalNumber("default", 0);
        description.available = optionalBool("available", true);
        const Number granularity = optionalNumber("granularity", 1);
        description.description = optionalText("description", kMaxDescriptionLength);
        if (failed())
            return;
        if (!Model::ParameterController::roles().contains(description.role))
            return fail(QStringLiteral("unknown parameter role \"%1\"").arg(description.role));
        if (m_product->parameter(description.role))
            return fail(QStringLiteral("duplicate parameter role \"%1\"").arg(description.role));
        if (!number.within(0, std::numeric_limits<int>::max()))
            return fail(QStringLiteral("parameter \"%1\": number %2 is outside 0..%3")
                            .arg(description.role, number.text)
                            .arg(std::numeric_limits<int>::max()));
        for (const Number* value : {&minimum, &maximum, &defaultValue, &granularity}) {
            if (!value->fits)
                return fail(
                    QStringLiteral("parameter \"%1\": %2 does not fit 64 bits").arg(description.role, value->text));
        }
        if (m_parameterNumbers.contains(number.value))
            return fail(QStringLiteral("duplicate parameter number %1").arg(number.text));
        if (minimum.value > maximum.value)
            return fail(QStringLiteral("parameter \"%1\": min %2 is above max %3")
                            .arg(description.role, minimum.text, maximum.text));
        if (defaultValue.value < minimum.value || defaultValue.value > maximum.value)
            return fail(QStringLiteral("parameter \"%1\": default %2 is outside %3..%4")
                            .arg(description.role, defaultValue.text, minimum.text, maximum.text));
        if (granularity.value < 1)
            return fail(QStringLiteral("parameter \"%1\": granularity must be at least 1, not %2")
                            .arg(description.role, granularity.text));
        description.number = int(number.value);
        description.minimum = minimum.value;
        description.maximum = maximum.value;
        description.defaultValue = defaultValue.value;
        description.granularity = granularity.value;
        m_parameterNumbers.insert(number.value);
        m_product->addParameter(new XmlParameterInterface(description));
        expectNoChildren();
    }
}

void ProductReader::readIc()
{
    checkAttributes({"name"});
    auto* ic = new XmlProductIC(requiredText("name"));
    m_product->setIc(ic);
    const QString parent = QStringLiteral("ic");
    while (!failed() && nextChild(parent)) {
        if (m_reader.name() == QLatin1String("register"))
            readRegister(ic);
        else if (m_reader.name() == QLatin1String("field"))
            readField(ic);
        else
            fail(QStringLiteral("unexpected element <%1> in <ic>").arg(shown(m_reader.name())));
    }
}

void ProductReader::readRegister(XmlProductIC* ic)
{
    checkAttributes({"name", "address", "default"});
    const QString name = requiredText("name");
    const Number address = requiredNumber("address");
    const Number defaultValue = optionalNumber("default", 0);
    if (failed())
        return;
    if (!address.within(0, kMaxAddress))
        return fail(QStringLiteral("register \"%1\": address %2 does not fit 16 bits").arg(name, address.text));
    if (!defaultValue.within(kRegisterMinimum, kRegisterMask))
        return fail(QStringLiteral("register \"%1\": default %2 does not fit 32 bits").arg(name, defaultValue.text));
    if (m_registers.contains(name) || m_fields.contains(name))
        return fail(QStringLiteral("duplicate name \"%1\"").arg(name));
    const auto other = m_addresses.constFind(int(address.value));
    if (other != m_addresses.constEnd())
        return fail(QStringLiteral("register \"%1\": address 0x%2 is already used by \"%3\"")
                        .arg(name)
                        .arg(address.value, 0, 16)
                        .arg(*other));
    RegisterEntry entry;
    entry.reg = new XmlValueRegister(name, quint16(address.value), quint32(quint64(defaultValue.value)), ic);
    m_registers.insert(name, entry);
    m_addresses.insert(int(address.value), name);
    expectNoChildren();
}

void ProductReader::readField(XmlProductIC* ic)
{
    checkAttributes({"name", "register", "mask", "shift", "signed", "min", "max", "available"});
    const QString name = requiredText("name");
    const QString registerName = requiredText("register");
    const Number mask = requiredNumber("mask");
    const bool isSigned = optionalBool("signed", false);
    if (failed())
        return;
    if (mask.within(0, 0))
        return fail(QStringLiteral("field \"%1\": mask %2 has no bits").arg(name, mask.text));
    if (!mask.within(1, kRegisterMask))
        return fail(QStringLiteral("field \"%1\": mask %2 does not fit 32 bits").arg(name, mask.text));
    const quint32 bits = quint32(mask.value);
    int lowest = 0;
    while (!((bits >> lowest) & 1u))
        ++lowest;
    if (((bits >> lowest) & ((bits >> lowest) + 1)) != 0)
        return fail(QStringLiteral("field \"%1\": mask %2 is not one run of bits").arg(name, mask.text));
    const Number shift = optionalNumber("shift", lowest);
    if (failed())
        return;
    if (!shift.within(lowest, lowest))
        return fail(QStringLiteral("field \"%1\": shift %2 does not match mask %3 (lowest bit %4)")
                        .arg(name, shift.text, mask.text)
                        .arg(lowest));

    XmlValueRegisterField::Layout layout;
    layout.mask = bits;
    layout.shift = lowest;
    layout.isSigned = isSigned;
    const qint64 naturalMin = XmlValueRegisterField::naturalMinimum(bits, lowest, isSigned);
    const qint64 naturalMax = XmlValueRegisterField::naturalMaximum(bits, lowest, isSigned);
    const Number minimum = optionalNumber("min", naturalMin);
    const Number maximum = optionalNumber("max", naturalMax);
    layout.available = optionalBool("available", true);
    if (failed())
        return;
    if (!minimum.within(naturalMin, naturalMax) || !maximum.within(naturalMin, naturalMax)
        || minimum.value > maximum.value)
        return fail(QStringLiteral("field \"%1\": range %2..%3 does not fit its bits (%4..%5)")
                        .arg(name, minimum.text, maximum.text)
                        .arg(naturalMin)
                        .arg(naturalMax));
    layout.minimum = minimum.value;
    layout.maximum = maximum.value;

    const auto reg = m_registers.find(registerName);
    if (reg == m_registers.end())
        return fail(QStringLiteral("field \"%1\" names the unknown register \"%2\"").arg(name, registerName));
    // A field may share the name of its own register, and of no other.
    const auto sameName = m_registers.constFind(name);
    if (m_fields.contains(name) || (sameName != m_registers.constEnd() && sameName->reg != reg->reg))
        return fail(QStringLiteral("duplicate name \"%1\"").arg(name));
    if (reg->used & bits) {
        for (const auto& other : qAsConst(reg->fields)) {
            if (other.first & bits)
                return fail(QStringLiteral("field \"%1\": mask %2 overlaps field \"%3\" of register \"%4\"")
                                .arg(name, mask.text, other.second, registerName));
        }
    }
    reg->used |= bits;
    reg->fields.append({bits, name});
    m_fields.insert(name, new XmlValueRegisterField(name, reg->reg, layout, ic));
    expectNoChildren();
}

void ProductReader::readMotion()
{
    checkAttributes({"profile", "velocityScale", "accelerationScale"});
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
    const QString parent = QStringLiteral("motion");
    while (!failed() && nextChild(parent)) {
        if (m_reader.name() != QLatin1String("use"))
            return fail(QStringLiteral("unexpected element <%1> in <motion>").arg(shown(m_reader.name())));
        checkAttributes({"role", "register", "field", "parameter", "value"});
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
        using Source = MotionWiring::Source;
        const std::pair<const char*, Source::Kind> kinds[] = {
            {"register", Source::Register}, {"field", Source::Field}, {"parameter", Source::Parameter}};
        int given = 0;
        for (const auto& kind : kinds) {
            if (m_reader.attributes().hasAttribute(QLatin1String(kind.first))) {
                ++given;
                bind.source.kind = kind.second;
                bind.source.name = requiredText(kind.first);
            }
        }
        if (failed())
            return;
        if (given != 1)
            return fail(
                QStringLiteral("motion role \"%1\" needs exactly one of register, field or parameter").arg(bind.role));
        const Number value = optionalNumber("value", 0);
        if (failed())
            return;
        bind.source.value = value.value;
        if (m_reader.attributes().hasAttribute(QLatin1String("value")))
            bind.valueText = value.text;
        if (!value.fits)
            return fail(QStringLiteral("motion role \"%1\": value %2 does not fit 64 bits").arg(bind.role, value.text));
        motion.sources.insert(bind.role, bind.source);
        m_binds.append(bind);
        expectNoChildren();
    }
}

void ProductReader::checkMotionSources()
{
    for (const PendingBind& bind : qAsConst(m_binds)) {
        bool known = false;
        qint64 low = 0;
        qint64 high = 0;
        switch (bind.source.kind) {
        case MotionWiring::Source::Register:
            known = m_registers.contains(bind.source.name);
            low = kRegisterMinimum;
            high = kRegisterMask;
            break;
        case MotionWiring::Source::Field:
            if (const XmlValueRegisterField* field = m_fields.value(bind.source.name)) {
                known = true;
                low = field->minimum();
                high = field->maximum();
            }
            break;
        case MotionWiring::Source::Parameter:
            if (const XmlParameterInterface* parameter = m_product->parameter(bind.source.name)) {
                known = true;
                low = parameter->minimum();
                high = parameter->maximum();
            }
            break;
        }
        if (!known) {
            return failAt(bind.line, bind.column,
                          QStringLiteral("motion role \"%1\" names \"%2\", which the product does not have")
                              .arg(bind.role, bind.source.name));
        }
        if (!bind.valueText.isEmpty() && (bind.source.value < low || bind.source.value > high)) {
            return failAt(bind.line, bind.column,
                          QStringLiteral("motion role \"%1\": value %2 is outside %3..%4 of \"%5\"")
                              .arg(bind.role, bind.valueText)
                              .arg(low)
                              .arg(high)
                              .arg(bind.source.name));
        }
    }
}

// Moves to the next child element of the current one and returns true; false
// at the parent's end, at the end of the document or on an error. Comments
// and whitespace are passed over; anything else is an error.
bool ProductReader::nextChild(const QString& parent)
{
    while (!failed() && !m_reader.atEnd()) {
        // Where the next token starts, to point at stray text itself (the
        // reader counts the characters before it; columns count from 1).
        qint64 line = m_reader.lineNumber();
        qint64 column = m_reader.columnNumber() + 1;
        switch (m_reader.readNext()) {
        case QXmlStreamReader::StartElement:
            return true;
        case QXmlStreamReader::EndElement:
        case QXmlStreamReader::EndDocument:
        case QXmlStreamReader::Invalid:
            return false;
        case QXmlStreamReader::StartDocument:
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::NoToken:
            break;
        case QXmlStreamReader::Characters:
            if (!m_reader.isWhitespace()) {
                const QStringRef text = m_reader.text();
                int at = 0;
                for (; text.at(at).isSpace(); ++at) {
                    if (text.at(at) == QLatin1Char('\n')) {
                        ++line;
                        column = 1;
                    } else {
                        ++column;
                    }
                }
                const QString shownText = shown(text.mid(at).toString().simplified());
                if (parent.isEmpty())
                    failAt(line, column, QStringLiteral("unexpected text \"%1\" outside <product>").arg(shownText));
                else
                    failAt(line, column, QStringLiteral("unexpected text \"%1\" in <%2>").arg(shownText, parent));
            }
            break;
        case QXmlStreamReader::DTD:
            fail(QStringLiteral("DOCTYPE and entity declarations are not allowed"));
            break;
        case QXmlStreamReader::EntityReference:
            fail(QStringLiteral("unexpected entity reference &%1;").arg(shown(m_reader.name())));
            break;
        case QXmlStreamReader::ProcessingInstruction:
            fail(QStringLiteral("unexpected processing instruction <?%1?>")
                     .arg(shown(m_reader.processingInstructionTarget())));
            break;
        }
    }
    return false;
}

// The current element must hold nothing but whitespace and comments.
void ProductReader::expectNoChildren()
{
    const QString element = m_reader.name().toString();
    if (nextChild(element))
        fail(QStringLiteral("unexpected element <%1> in <%2>").arg(shown(m_reader.name()), element));
}

void ProductReader::checkAttributes(std::initializer_list<const char*> known)
{
    if (failed())
        return;
    const QXmlStreamAttributes attributes = m_reader.attributes();
    for (const QXmlStreamAttribute& attribute : attributes) {
        bool isKnown = false;
        for (const char* name : known)
            isKnown = isKnown || attribute.qualifiedName() == QLatin1String(name);
        if (!isKnown) {
            return fail(QStringLiteral("<%1> has the unknown attribute \"%2\"")
                            .arg(m_reader.name().toString(), shown(attribute.qualifiedName())));
        }
    }
}

QString ProductReader::requiredText(const char* attribute, int maxLength)
{
    if (failed())
        return QString();
    const QXmlStreamAttributes attributes = m_reader.attributes();
    if (!attributes.hasAttribute(QLatin1String(attribute))) {
        fail(QStringLiteral("<%1> lacks the attribute \"%2\"").arg(m_reader.name().toString(), QLatin1String(attribute)));
        return QString();
    }
    QString text = optionalText(attribute, maxLength);
    if (text.isEmpty())
        fail(QStringLiteral("<%1> has an empty \"%2\"").arg(m_reader.name().toString(), QLatin1String(attribute)));
    return text;
}

QString ProductReader::optionalText(const char* attribute, int maxLength)
{
    if (failed())
        return QString();
    QString text = m_reader.attributes().value(QLatin1String(attribute)).toString().trimmed();
    if (text.size() > maxLength) {
        fail(QStringLiteral("<%1> \"%2\" is %3 characters long, more than %4: \"%5\"")
                 .arg(m_reader.name().toString(), QLatin1String(attribute))
                 .arg(text.size())
                 .arg(maxLength)
                 .arg(shown(text)));
        return QString();
    }
    // Names go into one-line journal entries and messages; a description may
    // hold line breaks (as &#10;).
    if (maxLength == kMaxNameLength) {
        for (const QChar c : text) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
                fail(QStringLiteral("<%1> \"%2\" holds a control character: \"%3\"")
                         .arg(m_reader.name().toString(), QLatin1String(attribute), shown(text)));
                return QString();
            }
        }
    }
    return text;
}

ProductReader::Number ProductReader::requiredNumber(const char* attribute)
{
    const QString text = requiredText(attribute);
    return failed() ? Number() : parseNumber(text, attribute);
}

ProductReader::Number ProductReader::optionalNumber(const char* attribute, qint64 fallback)
{
    if (failed() || !m_reader.attributes().hasAttribute(QLatin1String(attribute)))
        return Number{QString::number(fallback), fallback, true};
    return parseNumber(requiredText(attribute), attribute);
}

bool ProductReader::optionalBool(const char* attribute, bool fallback)
{
    if (failed() || !m_reader.attributes().hasAttribute(QLatin1String(attribute)))
        return fallback;
    const QStringRef text = m_reader.attributes().value(QLatin1String(attribute));
    if (text == QLatin1String("true"))
        return true;
    if (text == QLatin1String("false"))
        return false;
    fail(QStringLiteral("\"%1\" must be true or false, not \"%2\"").arg(QLatin1String(attribute), shown(text)));
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
        fail(QStringLiteral("\"%1\" must be a positive number, not \"%2\"").arg(QLatin1String(attribute), shown(text)));
        return 1.0;
    }
    return scale;
}

// Decimal or 0x hexadecimal digits with an optional leading minus. A number
// beyond 64 bits is still a number; it fits no type, so `fits` is false.
ProductReader::Number ProductReader::parseNumber(const QString& text, const char* attribute)
{
    Number number;
    number.text = text;
    if (failed())
        return number;
    int at = 0;
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative)
        ++at;
    int base = 10;
    if (text.midRef(at, 2) == QLatin1String("0x") || text.midRef(at, 2) == QLatin1String("0X")) {
        base = 16;
        at += 2;
    }
    if (at >= text.size()) {
        fail(QStringLiteral("\"%1\" is not a number: \"%2\"").arg(QLatin1String(attribute), shown(text)));
        return number;
    }
    const quint64 limit = negative ? quint64(std::numeric_limits<qint64>::max()) + 1
                                   : quint64(std::numeric_limits<qint64>::max());
    quint64 magnitude = 0;
    bool fits = true;
    for (; at < text.size(); ++at) {
        const int digit = digitValue(text.at(at), base);
        if (digit < 0) {
            fail(QStringLiteral("\"%1\" is not a number: \"%2\"").arg(QLatin1String(attribute), shown(text)));
            return number;
        }
        if (fits && magnitude <= (limit - quint64(digit)) / quint64(base))
            magnitude = magnitude * quint64(base) + quint64(digit);
        else
            fits = false;
    }
    number.fits = fits;
    if (fits)
        number.value = negative ? qint64(0 - magnitude) : qint64(magnitude);
    return number;
}

void ProductReader::fail(const QString& message)
{
    failAt(m_reader.lineNumber(), m_reader.columnNumber(), message);
}

void ProductReader::failAt(qint64 line, qint64 column, const QString& message)
{
    if (m_error.isEmpty())
        m_error = oneLine(QStringLiteral("%1:%2:%3: error: %4").arg(m_source).arg(line).arg(column).arg(message));
}
