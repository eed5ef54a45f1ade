// SPDX-License-Identifier: MIT
#include "scriptfile.h"

#include "core/excerpt.h"
#include "products/boundedfile.h"

namespace {
// At most this many bytes of a line are quoted in a message.
constexpr int kQuotedBytes = Excerpt::MostCharacters;

// The bytes of a line as they are, escaped where they are not printable
// ASCII, cut short around `at` for a long line.
QString quotedLine(const QByteArray& line, int at)
{
    int from = qMax(0, at - kQuotedBytes / 2);
    const int to = qMin(line.size(), from + kQuotedBytes);
    from = qMax(0, to - kQuotedBytes);
    QString quoted = from > 0 ? QStringLiteral("\"...") : QStringLiteral("\"");
    for (int i = from; i < to; ++i) {
        const auto byte = static_cast<unsigned char>(line.at(i));
        if (byte == '"' || byte == '\\')
            quoted += QLatin1String("\\") + QLatin1Char(char(byte));
        else if (byte >= 0x20 && byte < 0x7F)
            quoted += QLatin1Char(char(byte));
        else if (byte == '\t')
            quoted += QStringLiteral("\\t");
        else
            quoted += QStringLiteral("\\x") + QString::number(byte, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    }
    return quoted + (to < line.size() ? QStringLiteral("...\"") : QStringLiteral("\""));
}

// Length of the UTF-8 sequence at `i`, or 0 when the bytes there are not one
// (overlong forms, surrogates and code points beyond U+10FFFF included).
int sequenceLength(const QByteArray& bytes, int i)
{
    const auto at = [&](int k) { return k < bytes.size() ? static_cast<unsigned char>(bytes.at(k)) : 0u; };
    const unsigned lead = at(i);
    if (lead < 0x80)
        return 1;
    int length = 0;
    unsigned low = 0x80, high = 0xBF; // range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at(i + 1) < low || at(i + 1) > high)
        return 0;
    for (int k = 2; k < length; ++k) {
        if (at(i + k) < 0x80 || at(i + k) > 0xBF)
            return 0;
    }
    return length;
}
} // namespace

bool ScriptFile::read(const QString& path, QString* text, Error* error)
{
    // A directory, a device or a pipe is no script; a pipe could also keep the run waiting.
    const BoundedFile::Result file = BoundedFile::read(path, MaximumBytes, false);
    switch (file.outcome) {
    case BoundedFile::Outcome::Read:
        return decode(file.bytes, text, error);
    case BoundedFile::Outcome::NotAllowed:
        error->message = QStringLiteral("cannot read the script: not a regular file");
        break;
    case BoundedFile::Outcome::TooLarge:
        error->message = file.size >= 0
                             ? QStringLiteral("the script is %1 bytes long, more than the %2 MiB a script may have")
                                   .arg(file.size)
                                   .arg(MaximumBytes / BoundedFile::MiB)
                             : QStringLiteral("the script is more than the %1 MiB a script may have")
                                   .arg(MaximumBytes / BoundedFile::MiB);
        break;
    case BoundedFile::Outcome::Failed:
        error->message = QStringLiteral("cannot read the script: %1").arg(file.failure);
        break;
    }
    return false;
}

bool ScriptFile::decode(const QByteArray& bytes, QString* text, Error* error)
{
    int line = 1;
    int lineStart = 0;
    const auto fail = [&](int at, const QString& what) {
        int end = bytes.indexOf('\n', at);
        end = end < 0 ? bytes.size() : end;
        const QByteArray content = bytes.mid(lineStart, end - lineStart);
        error->line = line;
        error->column = at - lineStart + 1;
        error->message = QStringLiteral("%1 in %2").arg(what, quotedLine(content, at - lineStart));
        return false;
    };
    for (int i = 0; i < bytes.size();) {
        const char byte = bytes.at(i);
        if (byte == '\n') {
            ++line;
            lineStart = ++i;
            continue;
        }
        if (byte == '\0')
            return fail(i, QStringLiteral("a NUL byte (a script is text)"));
        if (byte == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) != '\n')
            return fail(i, QStringLiteral("a carriage return inside a line (lines end with LF or CR LF)"));
        const int length = sequenceLength(bytes, i);
        if (length == 0)
            return fail(i, QStringLiteral("a byte that is not UTF-8"));
        i += length;
    }
    *text = QString::fromUtf8(bytes);
    return true;
}
