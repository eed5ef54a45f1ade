// SPDX-License-Identifier: MIT
#include "scriptwriter.h"

#include "scriptparser.h"
#include "scriptsyntax.h"

#include <QStringList>

#include <algorithm>

bool ScriptWriter::write(const ScriptCommand& command, QString* line, QString* error)
{
    using ScriptSyntax::Slot;
    const ScriptSyntax::Command& syntax = ScriptSyntax::of(command.kind);
    QStringList words{QLatin1String(syntax.word)};
    const int declared = syntax.most < 0 ? 1 : syntax.most;
    for (int i = 0; i < declared; ++i) {
        const ScriptSyntax::Argument& argument = syntax.arguments[i];
        switch (argument.slot) {
        case Slot::Name:
            words << command.name;
            break;
        case Slot::Text:
            words << command.text;
            break;
        case Slot::Number: {
            // An optional number that no word stands for (close's current
            // tool) is written by leaving it out.
            const bool unwritable = syntax.absent < argument.low || syntax.absent > argument.high;
            if (i < syntax.least || command.number != syntax.absent || !unwritable)
                words << QString::number(command.number);
            break;
        }
        case Slot::Enter:
            words << QLatin1String(argument.choices[command.enter ? 0 : 1]);
            break;
        case Slot::Fields:
            for (const auto& field : command.fields)
                words << field.first + QLatin1Char('=') + field.second;
            break;
        case Slot::Words:
            words << command.words;
            break;
        }
    }
    for (const QString& word : qAsConst(words)) {
        if (std::any_of(word.begin(), word.end(), ScriptSyntax::isLineBreak)) {
            *error = QStringLiteral("%1 with a line break in its argument").arg(words.first());
            return false;
        }
    }
    // The parser's own reading decides whether the line reads back.
    ScriptCommand readBack;
    QString message;
    if (!ScriptParser::read(words, &readBack, &message)) {
        *error = QStringLiteral("%1: %2").arg(words.first(), message);
        return false;
    }
    for (QString& word : words)
        word = quoted(word);
    *line = words.join(QLatin1Char(' '));
    return true;
}

QString ScriptWriter::quoted(const QString& word)
{
    if (!word.isEmpty() && std::all_of(word.begin(), word.end(), ScriptSyntax::standsUnquoted))
        return word;
    const QLatin1Char quote(ScriptSyntax::kQuote);
    const QLatin1Char escape(ScriptSyntax::kEscape);
    QString text;
    text.reserve(word.size() + 2);
    text += quote;
    for (const QChar c : word) {
        if (c == quote || c == escape)
            text += escape;
        text += c;
    }
    return text + quote;
}

QString ScriptWriter::comment(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1Char('\n'), QLatin1String("\\n")).replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return QString(QLatin1Char(ScriptSyntax::kComment)) + QLatin1Char(' ') + shown;
}
