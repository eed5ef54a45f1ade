// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

// Writes the files a user saves (plot, journal, screenshot) so that nothing
// is lost: the new content goes to a new file beside the old one, which it
// replaces only once every write, the flush and the sync to the disk have
// succeeded; a failure leaves the old file whole and says what failed.
//
// Only a regular file, or a name not taken yet, is written: a device, a FIFO,
// a directory or a socket is refused, and so is the file the workbench's own
// standard output or error goes to, or a recording being written. A symbolic
// link is followed and the file it leads to replaced. The replacement keeps
// the old file's permissions, and its owner and group where the system lets
// the writer give them (as root); other hard links to the old file keep the
// old content.
namespace SafeFile {
// Writes the content into the device handed over; false when a write failed.
using Writer = std::function<bool(QIODevice&)>;

// Why the workbench does not write to `path`; empty when it may.
QString refusal(const QString& path);

// Writes `content` as the whole of `path`. False and `error` set to
// "cannot write "PATH": REASON" when it cannot.
bool write(const QString& path, const QByteArray& content, QString* error);
bool write(const QString& path, const Writer& writer, QString* error);

// While a Claim on a file descriptor lives, the file it writes is refused to
// write() (a recording must not be replaced under its writer).
class Claim
{
public:
    Claim() = default;
    explicit Claim(int descriptor);
    ~Claim();
    Claim(const Claim&) = delete;
    Claim& operator=(const Claim&) = delete;

private:
    quint64 m_device = 0;
    quint64 m_inode = 0;
    bool m_held = false;
};
} // namespace SafeFile
