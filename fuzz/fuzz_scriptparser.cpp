// Feeds arbitrary text to the workbench's script parser. Besides the
// sanitizers' findings, a refusal without a line and a message, or with
// commands after the bad line, is a finding.
#include "scriptparser.h"

#include <cstdint>
#include <cstdlib>

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
    }
    return 0;
}
