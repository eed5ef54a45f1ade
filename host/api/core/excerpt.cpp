// SPDX-License-Identifier: MIT
#include "excerpt.h"

namespace {
const QString kCut = QStringLiteral("...");
} // namespace

namespace Excerpt {

QString of(const QString& text)
{
    if (text.size() <= MostCharacters)
        return text;
    const int head = MostCharacters / 2;
    return text.left(head) + kCut + text.right(MostCharacters - head);
}

QString of(const QStringRef& text)
{
    // Only the ends of a long text are copied.
    if (text.size() <= MostCharacters)
        return text.toString();
    const int head = MostCharacters / 2;
    return text.left(head).toString() + kCut + text.right(MostCharacters - head).toString();
}

QString around(const QString& line, int at)
{
    if (line.size() <= MostCharacters)
        return line;
    const int from = qBound(0, at - MostCharacters / 2, line.size() - MostCharacters);
    return (from > 0 ? kCut : QString()) + line.mid(from, MostCharacters)
           + (from + MostCharacters < line.size() ? kCut : QString());
}

} // namespace Excerpt
