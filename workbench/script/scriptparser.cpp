// SPDX-License-Identifier: MIT
#include "scriptparser.h"

#include "core/excerpt.h"
#include "scriptsyntax.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace {
using ScriptSyntax::Argument;
using ScriptSyntax::Slot;

// What was written, as a message quotes it.
QString shown(const QString& text)
{
    return QLatin1Char('"') + Excerpt::of(text) + QLatin1Char('"');
}

// Reads `text` as a number in [low, high]; `what` names it in the message.
bool number(const QString& text, const char* what, qint64 low, qint64 high, qint64* value, QString* message)
{
    if (!ScriptParser::readNumber(text, value)) {
        *message = QStringLiteral("bad number %1 for %2 (decimal or 0x hexadecimal)").arg(shown(text), QLatin1String(what));
        return false;
    }
    if (*value < low || *value > high) {
        *message =
            QStringLiteral("%1 %2 is out of range (%3 to %4)").arg(QLatin1String(what), Excerpt::of(text)).arg(low).arg(high);
        return false;
    }
    return true;
}

QString countText(const ScriptSyntax::Command& syntax)
{
    if (syntax.most < 0)
        return QStringLiteral("any number of arguments");
    if (syntax.least == syntax.most)
        return syntax.least == 1 ? QStringLiteral("1 argument") : QStringLiteral("%1 arguments").arg(syntax.least);
    return QStringLiteral("%1 or %2 arguments").arg(syntax.least).arg(syntax.most);
}

bool readReplyField(const QString& word, ScriptCommand* command, QString* message)
{
    const int equals = word.indexOf(QLatin1Char('='));
    const QString key = equals < 0 ? word : word.left(equals);
    const std::vector<ScriptSyntax::ReplyKey>& keys = ScriptSyntax::replyKeys();
    const auto known = std::find_if(keys.begin(), keys.end(), [&key](const ScriptSyntax::ReplyKey& candidate) {
        return key == QLatin1String(candidate.key);
    });
    if (known == keys.end()) {
        QStringList names;
        for (const ScriptSyntax::ReplyKey& candidate : keys)
            names << QLatin1String(candidate.key);
        *message = QStringLiteral("unknown reply field %1 (%2)").arg(shown(key), names.join(QLatin1String(", ")));
        return false;
    }
    if (equals < 0 || equals == word.size() - 1) {
        *message = QStringLiteral("reply field %1 needs a value: %1=VALUE").arg(key);
        return false;
    }
    for (const auto& field : qAsConst(command->fields)) {
        if (field.first == key) {
            *message = QStringLiteral("reply field %1 is given twice").arg(shown(key));
            return false;
        }
    }
    const QString value = word.mid(equals + 1);
    // A register name is looked up when the reply is delivered.
    static const QRegularExpression registerName(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    const bool named = (known->word && value == QLatin1String(known->word))
                       || (known->registerName && registerName.match(value).hasMatch());
    qint64 unused = 0;
    if (!named && !number(value, known->key, known->low, known->high, &unused, message))
        return false;
    command->fields.append(qMakePair(key, value));
    return true;
}

// Reads one argument's word into its slot of `command`.
bool readArgument(const Argument& argument, const QString& word, ScriptCommand* command, QString* message)
{
    const bool chosen = !argument.choices[0] || word == QLatin1String(argument.choices[0])
                        || word == QLatin1String(argument.choices[1]);
    if (!chosen) {
        *message = QString::fromLatin1(argument.refusal).arg(shown(word));
        return false;
    }
    switch (argument.slot) {
    case Slot::Name:
        command->name = word;
        return true;
    case Slot::Text:
        command->text = word;
        return true;
    case Slot::Number:
        return number(word, argument.label, argument.low, argument.high, &command->number, message);
    case Slot::Enter:
        command->enter = word == QLatin1String(argument.choices[0]);
        return true;
    case Slot::Fields:
        return readReplyField(word, command, message);
    case Slot::Words:
        command->words.append(word);
        return true;
    }
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
        if (!split(line, &words, &message) || (!words.isEmpty() && !read(words, &command, &message))) {
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
    const QLatin1Char quote(ScriptSyntax::kQuote);
    const QLatin1Char escape(ScriptSyntax::kEscape);
    words->clear();
    QString word;
    bool inWord = false;
    bool inQuotes = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (inQuotes) {
            if (c == escape && i + 1 < line.size() && (line.at(i + 1) == quote || line.at(i + 1) == escape)) {
                word += line.at(++i);
            } else if (c == quote) {
                inQuotes = false;
            } else {
                word += c;
            }
        } else if (c == QLatin1Char(ScriptSyntax::kComment)) {
            break;
        } else if (c.isSpace()) {
            if (inWord)
                words->append(word);
            word.clear();
            inWord = false;
        } else if (c == quote) {
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

bool ScriptParser::read(const QStringList& words, ScriptCommand* command, QString* message)
{
    const QString& word = words.first();
    const ScriptSyntax::Command* syntax = ScriptSyntax::find(word);
    if (!syntax) {
        *message = QStringLiteral("unknown command %1").arg(shown(word));
        return false;
    }
    const int count = words.size() - 1;
    if (count < syntax->least || (syntax->most >= 0 && count > syntax->most)) {
        *message = QStringLiteral("%1 takes %2, not %3 (usage: %4)")
                       .arg(shown(word), countText(*syntax))
                       .arg(count)
                       .arg(QLatin1String(syntax->usage));
        return false;
    }
    command->kind = syntax->kind;
    if (syntax->kind == ScriptCommand::Design) {
        // Each form of design has its own words.
        command->words = words.mid(1);
        Design unused;
        return readDesign(command->words, &unused, message);
    }
    // Any number of arguments are all of the one argument declared.
    const int declared = syntax->most < 0 ? 1 : syntax->most;
    for (int i = 0; i < qMax(count, declared); ++i) {
        const Argument& argument = syntax->arguments[qMin(i, declared - 1)];
        if (i < count) {
            if (!readArgument(argument, words.at(i + 1), command, message))
                return false;
        } else if (argument.slot == Slot::Number) {
            command->number = syntax->absent;
        }
    }
    return true;
}

bool ScriptParser::readDesign(const QStringList& words, Design* design, QString* message)
{
    if (words.isEmpty()) {
        *message = QStringLiteral(
            "design takes DISTANCE SECONDS [gentlest], DISTANCE fastest VMAX AMAX, \"apply\" or \"undo\"");
        return false;
    }
    const bool apply = words.first() == QLatin1String("apply");
    if (apply || words.first() == QLatin1String("undo")) {
        if (words.size() > 1) {
            *message = QStringLiteral("design %1 takes nothing more, not %2").arg(words.first(), shown(words.at(1)));
            return false;
        }
        design->form = apply ? Design::Apply : Design::Undo;
        return true;
    }
    if (!readNumber(words.first(), &design->distance)) {
        *message = QStringLiteral("design takes DISTANCE SECONDS, \"apply\" or \"undo\", not %1").arg(shown(words.first()));
        return false;
    }
    const bool fastest = words.size() > 1 && words.at(1) == QLatin1String("fastest");
    design->gentlest = words.size() == 3 && words.at(2) == QLatin1String("gentlest");
    if (fastest ? words.size() != 4 : (words.size() < 2 || (words.size() > 2 && !design->gentlest))) {
        *message = QStringLiteral("design %1 takes SECONDS [gentlest] or fastest VMAX AMAX, not %2 more words")
                       .arg(Excerpt::of(words.first()))
                       .arg(words.size() - 1);
        return false;
    }
    // Seconds and limits as a person writes them: 1.5, 2, 0.250, 50000.
    const auto decimal = [&](int index, const char* what, double* value) {
        static const QRegularExpression pattern(QStringLiteral("^[0-9]{1,12}(\\.[0-9]{1,9})?$"));
        if (pattern.match(words.at(index)).hasMatch()) {
            *value = words.at(index).toDouble();
            return true;
        }
        *message = QStringLiteral("bad number %1 for %2 (a decimal number, as 1.5)")
                       .arg(shown(words.at(index)), QLatin1String(what));
        return false;
    };
    design->form = fastest ? Design::Fastest : Design::Duration;
    if (!fastest)
        return decimal(1, "SECONDS", &design->seconds);
    return decimal(2, "VMAX", &design->maxVelocity) && decimal(3, "AMAX", &design->maxAcceleration);
}
