// SPDX-License-Identifier: MIT
// Feeds arbitrary text to the workbench's script parser and writes every
// command it reads back as a line. Besides the sanitizers' findings, a
// refusal without a line and a message, commands after the bad line, a
// command the writer refuses without a line break in it, and a written line
// that does not read back as the same command are findings.
#include "scriptparser.h"
#include "scriptsyntax.h"
#include "scriptwriter.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {
bool holdsLineBreak(const ScriptCommand& command)
{
    QStringList words{command.name, command.text};
    words << command.words;
    for (const auto& field : command.fields)
        words << field.first << field.second;
    return std::any_of(words.cbegin(), words.cend(), [](const QString& word) {
        return std::any_of(word.begin(), word.end(), ScriptSyntax::isLineBreak);
    });
}

bool same(const ScriptCommand& a, const ScriptCommand& b)
{
    return a.kind == b.kind && a.name == b.name && a.text == b.text && a.number == b.number && a.enter == b.enter
           && a.fields == b.fields && a.words == b.words;
}

void writeAndReadBack(const ScriptCommand& command)
{
    QString line;
    QString refusal;
    if (!ScriptWriter::write(command, &line, &refusal)) {
        if (refusal.isEmpty() || !holdsLineBreak(command))
            std::abort();
        return;
    }
    QStringList words;
    QString message;
    ScriptCommand readBack;
    if (!ScriptParser::split(line, &words, &message) || words.isEmpty()
        || !ScriptParser::read(words, &readBack, &message) || !same(command, readBack))
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));
    QList<ScriptCommand> commands;
    ScriptParser::Error error;
    if (!ScriptParser::parse(text, &commands, &error)) {
        if (error.line < 1 || error.message.isEmpty())
            std::abort();
        if (!commands.isEmpty() && commands.last().line >= error.line)
            std::abort();
    }
    for (const ScriptCommand& command : qAsConst(commands)) {
        if (command.line < 1)
            std::abort();
        writeAndReadBack(command);
    }
    return 0;
}
