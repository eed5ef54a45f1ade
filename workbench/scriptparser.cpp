#include "scriptparser.h"

#include "core/excerpt.h"

#include <QRegularExpression>

#include <limits>

namespace {
struct Syntax
{
    const char* word;
    ScriptCommand::Kind kind;
    int least;
    int most; // -1: any number
    const char* usage;
};

const Syntax kSyntax[] = {
    {"product", ScriptCommand::Product, 1, 1, "product CODE"},
    {"open", ScriptCommand::Open, 0, 1, "open [MOTOR]"},
    {"tool", ScriptCommand::Tool, 1, 1, "tool MOTOR"},
    {"close", ScriptCommand::Close, 0, 1, "close [MOTOR]"},
    {"show", ScriptCommand::Show, 0, 0, "show"},
    {"hide", ScriptCommand::Hide, 0, 0, "hide"},
    {"set", ScriptCommand::Set, 2, 2, "set NAME VALUE"},
    {"click", ScriptCommand::Click, 1, 1, "click NAME"},
    {"hover", ScriptCommand::Hover, 2, 2, "hover FIELD enter|leave"},
    {"device", ScriptCommand::Device, 2, 2, "device NAME VALUE"},
    {"advance", ScriptCommand::Advance, 1, 1, "advance MS"},
    {"refresh", ScriptCommand::Refresh, 0, 0, "refresh"},
    {"poll", ScriptCommand::Poll, 1, 1, "poll NAME"},
    {"reply", ScriptCommand::Reply, 0, -1, "reply KEY=VALUE..."},
    {"export", ScriptCommand::Export, 2, 2, "export Units|CommMode VALUE"},
    {"wait", ScriptCommand::Wait, 1, 1, "wait MS"},
    {"print", ScriptCommand::Print, 2, 2, "print NAME PROPERTY"},
    {"journal", ScriptCommand::Journal, 0, 0, "journal"},
    {"plan", ScriptCommand::Plan, 1, 1, "plan DISTANCE"},
    {"save", ScriptCommand::Save, 2, 2, "save plot|journal FILE"},
};

const char* const kReplyKeys[] = {"status", "address", "command", "motor", "type", "value"};

constexpr qint64 kIntMax = std::numeric_limits<int>::max();
constexpr qint64 kIntMin = std::numeric_limits<int>::min();

QString quoted(const QString& text)
{
    return QLatin1Char('"') + Excerpt::of(text) + QLatin1Char('"');
}

// Reads `text` as a number in [low, high]; `what` names it in the message.
bool number(const QString& text, const char* what, qint64 low, qint64 high, qint64* value, QString* message)
{
    if (!ScriptParser::readNumber(text, value)) {
        *message =
            QStringLiteral("bad number %1 for %2 (decimal or 0x hexadecimal)").arg(quoted(text), QLatin1String(what));
        return false;
    }
    if (*value < low || *value > high) {
        *message =
            QStringLiteral("%1 %2 is out of range (%3 to %4)").arg(QLatin1String(what), Excerpt::of(text)).arg(low).arg(high);
        return false;
    }
    return true;
}

QString countText(const Syntax& syntax)
{
    if (syntax.most < 0)
        return QStringLiteral("any number of arguments");
    if (syntax.least == syntax.most)
        return syntax.least == 1 ? QStringLiteral("1 argument") : QStringLiteral("%1 arguments").arg(syntax.least);
    return QStringLiteral("%1 or %2 arguments").arg(syntax.least).arg(syntax.most);
}

bool checkReplyField(const QString& word, ScriptCommand* command, QString* message)
{
    const int equals = word.indexOf(QLatin1Char('='));
    const QString key = equals < 0 ? word : word.left(equals);
    bool known = false;
    for (const char* name : kReplyKeys)
        known = known || key == QLatin1String(name);
    if (!known) {
        *message = QStringLiteral("unknown reply field %1 (status, address, command, motor, type, value)").arg(quoted(key));
        return false;
    }
    if (equals < 0 || equals == word.size() - 1) {
        *message = QStringLiteral("reply field %1 needs a value: %1=VALUE").arg(key);
        return false;
    }
    for (const auto& field : qAsConst(command->fields)) {
        if (field.first == key) {
            *message = QStringLiteral("reply field %1 is given twice").arg(quoted(key));
            return false;
        }
    }
    const QString value = word.mid(equals + 1);
    qint64 unused = 0;
    const QByteArray what = key.toLatin1();
    if (key == QLatin1String("command")) {
        if (value != QLatin1String("read") && !number(value, "command", 0, kIntMax, &unused, message))
            return false;
    } else if (key == QLatin1String("type")) {
        // A register name is looked up when the reply is delivered.
        static const QRegularExpression registerName(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
        if (!registerName.match(value).hasMatch() && !number(value, "type", kIntMin, 0xFFFFFFFFLL, &unused, message))
            return false;
    } else if (key == QLatin1String("motor") || key == QLatin1String("address")) {
        if (!number(value, what.constData(), 0, 255, &unused, message))
            return false;
    } else if (!number(value, what.constData(), kIntMin, 0xFFFFFFFFLL, &unused, message)) {
        return false;
    }
    command->fields.append(qMakePair(key, value));
    return true;
}
} // namespace

bool ScriptParser::parse(const QString& text, QList<ScriptCommand>* commands, Error* error)
{
    commands->clear();
    return parse(
        text,
        [commands](const ScriptCommand& command) {
            commands->append(command);
            return true;
        },
        error);
}

bool ScriptParser::parse(const QString& text, const std::function<bool(const ScriptCommand&)>& take, Error* error)
{
    bool first = true;
    int number = 0;
    QStringList words;
    for (int start = 0; start <= text.size();) {
        int end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        ++number;
        QString line = text.mid(start, end - start);
        start = end + 1;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        QString message;
        ScriptCommand command;
        command.line = number;
        if (!split(line, &words, &message) || (!words.isEmpty() && !parseLine(words, &command, &message))) {
            error->line = number;
            error->message = message;
            return false;
        }
        if (words.isEmpty())
            continue;
        if (first && command.kind != ScriptCommand::Product) {
            error->line = number;
            error->message = QStringLiteral("the script must start with \"product CODE\"");
            return false;
        }
        first = false;
        if (!take(command))
            return true;
    }
    return true;
}

bool ScriptParser::split(const QString& line, QStringList* words, QString* message)
{
    words->clear();
    QString word;
    bool inWord = false;
    bool inQuotes = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (inQuotes) {
            if (c == QLatin1Char('\\') && i + 1 < line.size()
                && (line.at(i + 1) == QLatin1Char('"') || line.at(i + 1) == QLatin1Char('\\'))) {
                word += line.at(++i);
            } else if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else {
                word += c;
            }
        } else if (c == QLatin1Char('#')) {
            break;
        } else if (c.isSpace()) {
            if (inWord)
                words->append(word);
            word.clear();
            inWord = false;
        } else if (c == QLatin1Char('"')) {
            inQuotes = true;
            inWord = true;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inQuotes) {
        *message = QStringLiteral("unterminated quoted argument");
        return false;
    }
    if (inWord)
        words->append(word);
    return true;
}

bool ScriptParser::readNumber(const QString& text, qint64* value)
{
    static const QRegularExpression pattern(QStringLiteral("^([+-]?)(?:0[xX]([0-9A-Fa-f]+)|([0-9]+))$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    const bool hex = !match.captured(2).isEmpty();
    bool ok = false;
    // Read as unsigned so that the most negative number has room.
    const quint64 magnitude = (hex ? match.captured(2) : match.captured(3)).toULongLong(&ok, hex ? 16 : 10);
    if (!ok)
        return false;
    const bool negative = match.captured(1) == QLatin1String("-");
    const quint64 limit = negative ? quint64(std::numeric_limits<qint64>::max()) + 1
                                   : quint64(std::numeric_limits<qint64>::max());
    if (magnitude > limit)
        return false;
    *value = negative ? qint64(0 - magnitude) : qint64(magnitude);
    return true;
}

bool ScriptParser::parseLine(const QStringList& words, ScriptCommand* command, QString* message)
{
    const QString& word = words.first();
    const Syntax* syntax = nullptr;
    for (const Syntax& candidate : kSyntax) {
        if (word == QLatin1String(candidate.word))
            syntax = &candidate;
    }
    if (!syntax) {
        *message = QStringLiteral("unknown command %1").arg(quoted(word));
        return false;
    }
    const int count = words.size() - 1;
    if (count < syntax->least || (syntax->most >= 0 && count > syntax->most)) {
        *message = QStringLiteral("%1 takes %2, not %3 (usage: %4)")
                       .arg(quoted(word), countText(*syntax))
                       .arg(count)
                       .arg(QLatin1String(syntax->usage));
        return false;
    }
    command->kind = syntax->kind;
    const QString first = count > 0 ? words.at(1) : QString();
    const QString second = count > 1 ? words.at(2) : QString();
    switch (syntax->kind) {
    case ScriptCommand::Product:
        return number(first, "CODE", 0, kIntMax, &command->number, message);
    case ScriptCommand::Open:
        command->number = 0;
        return count == 0 || number(first, "MOTOR", 0, 255, &command->number, message);
    case ScriptCommand::Tool:
        return number(first, "MOTOR", 0, 255, &command->number, message);
    case ScriptCommand::Close:
        command->number = -1; // the current tool
        return count == 0 || number(first, "MOTOR", 0, 255, &command->number, message);
    case ScriptCommand::Advance:
    case ScriptCommand::Wait:
        return number(first, "MS", 0, kIntMax, &command->number, message);
    case ScriptCommand::Set:
        command->name = first;
        command->text = second;
        return true;
    case ScriptCommand::Click:
    case ScriptCommand::Poll:
        command->name = first;
        return true;
    case ScriptCommand::Hover:
        command->name = first;
        if (second != QLatin1String("enter") && second != QLatin1String("leave")) {
            *message = QStringLiteral("hover takes \"enter\" or \"leave\", not %1").arg(quoted(second));
            return false;
        }
        command->enter = second == QLatin1String("enter");
        return true;
    case ScriptCommand::Device:
        command->name = first;
        return number(second, "VALUE", std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(),
                      &command->number, message);
    case ScriptCommand::Export:
        if (first != QLatin1String("Units") && first != QLatin1String("CommMode")) {
            *message = QStringLiteral("the host exports \"Units\" and \"CommMode\", not %1").arg(quoted(first));
            return false;
        }
        command->name = first;
        return number(second, "VALUE", kIntMin, kIntMax, &command->number, message);
    case ScriptCommand::Print:
        command->name = first;
        command->text = second;
        return true;
    case ScriptCommand::Plan:
        return number(first, "DISTANCE", kIntMin, kIntMax, &command->number, message);
    case ScriptCommand::Save:
        if (first != QLatin1String("plot") && first != QLatin1String("journal")) {
            *message = QStringLiteral("save takes \"plot\" or \"journal\", not %1").arg(quoted(first));
            return false;
        }
        command->name = first;
        command->text = second;
        return true;
    case ScriptCommand::Reply:
        for (int i = 1; i < words.size(); ++i) {
            if (!checkReplyField(words.at(i), command, message))
                return false;
        }
        return true;
    case ScriptCommand::Show:
    case ScriptCommand::Hide:
    case ScriptCommand::Refresh:
    case ScriptCommand::Journal:
        return true;
    }
    return true;
}
