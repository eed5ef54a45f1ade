// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// How a message quotes what a person wrote (a name, a number, a path, a line
// of a file): at most MostCharacters of it, with "..." where the rest was
// left out, so that a message stays one readable line whatever was written.
// A long text keeps its first and last characters, so that the end of a
// path, where its file name is, stays in view.
namespace Excerpt {
constexpr int MostCharacters = 60;

QString of(const QString& text);
QString of(const QStringRef& text);
// The part of `line` around position `at` (a character index), "..." on
// either side where the line goes on: for pointing at a place in a line.
QString around(const QString& line, int at);
} // namespace Excerpt
