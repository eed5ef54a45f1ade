// SPDX-License-Identifier: MIT
#pragma once

#include "scriptcommand.h"

#include <QChar>
#include <QString>

#include <vector>

// The script language: its commands, their arguments and the quoting rule.
// ScriptParser reads a line by this table and ScriptWriter writes one by it,
// so that what is written reads back as the same command.
namespace ScriptSyntax {

// The quoting rule. Words are parted by white space and `#` starts a comment;
// a word that holds either, or a `"`, or is empty is written in double
// quotes, inside which `\` escapes a `"` or a `\`. A line break cannot be in
// a word at all.
constexpr char kQuote = '"';
constexpr char kEscape = '\\';
constexpr char kComment = '#';
// True for a character a word may hold without quotes.
bool standsUnquoted(QChar c);
// True for a character that ends a script line (LF, or CR before it).
bool isLineBreak(QChar c);

// Where an argument goes in a ScriptCommand, which says how it is read and written.
enum class Slot {
    Name,   // the word as it is, into `name`
    Text,   // the word as it is, into `text`
    Number, // decimal or 0x hexadecimal within [low, high], into `number`
    Enter,  // the first of its two words (true) or the second, into `enter`
    Fields, // any number of KEY=VALUE words, into `fields`
    Words,  // any number of words as they are, into `words`
};

struct Argument
{
    Slot slot = Slot::Name;
    const char* label = nullptr; // what a message calls a number (CODE, MOTOR, MS, ...)
    qint64 low = 0;
    qint64 high = 0;
    // The two words a Name or Enter argument takes (none: any word), and
    // what is said of another word, %1 being that word quoted.
    const char* choices[2] = {nullptr, nullptr};
    const char* refusal = nullptr;
};

struct Command
{
    const char* word = nullptr;
    ScriptCommand::Kind kind = ScriptCommand::Product;
    int least = 0;
    int most = 0; // -1: any number, all of the last argument
    const char* usage = nullptr;
    Argument arguments[2];
    qint64 absent = 0; // the number of an optional Number argument that is left out
};

// A reply field's key and what its value may be.
struct ReplyKey
{
    const char* key = nullptr;
    qint64 low = 0;
    qint64 high = 0;
    const char* word = nullptr; // a word taken instead of a number ("read")
    bool registerName = false;  // a register name is taken instead of a number
};

// One entry a command kind.
const std::vector<Command>& commands();
// The command of a word, or null.
const Command* find(const QString& word);
const Command& of(ScriptCommand::Kind kind);
const std::vector<ReplyKey>& replyKeys();

} // namespace ScriptSyntax
