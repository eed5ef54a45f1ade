// SPDX-License-Identifier: MIT
#include "scriptsyntax.h"

#include <limits>

namespace ScriptSyntax {

namespace {
constexpr qint64 kIntMax = std::numeric_limits<int>::max();
constexpr qint64 kIntMin = std::numeric_limits<int>::min();
constexpr qint64 kWordMax = 0xFFFFFFFFLL; // a reply's 32-bit status, type and value, written unsigned
constexpr qint64 kByteMax = 255;          // a motor and a module address are 8 bits

Argument name()
{
    return Argument{};
}

Argument text()
{
    Argument argument;
    argument.slot = Slot::Text;
    return argument;
}

Argument number(const char* label, qint64 low, qint64 high)
{
    Argument argument;
    argument.slot = Slot::Number;
    argument.label = label;
    argument.low = low;
    argument.high = high;
    return argument;
}

Argument oneOf(Slot slot, const char* first, const char* second, const char* refusal)
{
    Argument argument;
    argument.slot = slot;
    argument.choices[0] = first;
    argument.choices[1] = second;
    argument.refusal = refusal;
    return argument;
}

Argument words()
{
    Argument argument;
    argument.slot = Slot::Words;
    return argument;
}

Argument fields()
{
    Argument argument;
    argument.slot = Slot::Fields;
    return argument;
}
} // namespace

bool standsUnquoted(QChar c)
{
    return !c.isSpace() && c != QLatin1Char(kComment) && c != QLatin1Char(kQuote);
}

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

const std::vector<Command>& commands()
{
    using K = ScriptCommand;
    const qint64 int64Min = std::numeric_limits<qint64>::min();
    const qint64 int64Max = std::numeric_limits<qint64>::max();
    // clang-format off
    static const std::vector<Command> table = {
        {"product", K::Product, 1, 1, "product CODE", {number("CODE", 0, kIntMax)}},
        {"open", K::Open, 0, 1, "open [MOTOR]", {number("MOTOR", 0, kByteMax)}, 0},
        {"tool", K::Tool, 1, 1, "tool MOTOR", {number("MOTOR", 0, kByteMax)}},
        {"close", K::Close, 0, 1, "close [MOTOR]", {number("MOTOR", 0, kByteMax)}, -1}, // -1: the current tool
        {"show", K::Show, 0, 0, "show", {}},
        {"hide", K::Hide, 0, 0, "hide", {}},
        {"set", K::Set, 2, 2, "set NAME VALUE", {name(), text()}},
        {"click", K::Click, 1, 1, "click NAME", {name()}},
        {"hover", K::Hover, 2, 2, "hover FIELD enter|leave",
            {name(), oneOf(Slot::Enter, "enter", "leave", "hover takes \"enter\" or \"leave\", not %1")}},
        {"device", K::Device, 2, 2, "device NAME VALUE", {name(), number("VALUE", int64Min, int64Max)}},
        {"advance", K::Advance, 1, 1, "advance MS", {number("MS", 0, kIntMax)}},
        {"refresh", K::Refresh, 0, 0, "refresh", {}},
        {"poll", K::Poll, 1, 1, "poll NAME", {name()}},
        {"reply", K::Reply, 0, -1, "reply KEY=VALUE...", {fields()}},
        {"export", K::Export, 2, 2, "export Units|CommMode VALUE",
            {oneOf(Slot::Name, "Units", "CommMode", "the host exports \"Units\" and \"CommMode\", not %1"),
             number("VALUE", kIntMin, kIntMax)}},
        {"wait", K::Wait, 1, 1, "wait MS", {number("MS", 0, kIntMax)}},
        {"print", K::Print, 2, 2, "print NAME PROPERTY", {name(), text()}},
        {"journal", K::Journal, 0, 0, "journal", {}},
        {"plan", K::Plan, 1, 1, "plan DISTANCE", {number("DISTANCE", kIntMin, kIntMax)}},
        {"save", K::Save, 2, 2, "save plot|journal FILE",
            {oneOf(Slot::Name, "plot", "journal", "save takes \"plot\" or \"journal\", not %1"), text()}},
        // Each form of design has its own words, which the parser reads (ScriptParser::readDesign).
        {"design", K::Design, 0, -1, "design DISTANCE SECONDS [gentlest] | design DISTANCE fastest VMAX AMAX | design apply | design undo",
            {words()}},
    };
    // clang-format on
    return table;
}

const Command* find(const QString& word)
{
    for (const Command& command : commands()) {
        if (word == QLatin1String(command.word))
            return &command;
    }
    return nullptr;
}

const Command& of(ScriptCommand::Kind kind)
{
    const std::vector<Command>& table = commands();
    for (const Command& command : table) {
        if (command.kind == kind)
            return command;
    }
    Q_ASSERT_X(false, "ScriptSyntax::of", "a command kind without an entry in the table");
    return table.front();
}

const std::vector<ReplyKey>& replyKeys()
{
    static const std::vector<ReplyKey> keys = {
        {"status", kIntMin, kWordMax},
        {"address", 0, kByteMax},
        {"command", 0, kIntMax, "read"},
        {"motor", 0, kByteMax},
        {"type", kIntMin, kWordMax, nullptr, true},
        {"value", kIntMin, kWordMax},
    };
    return keys;
}

} // namespace ScriptSyntax
