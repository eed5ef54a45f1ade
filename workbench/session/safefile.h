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
// standard output or error goes to, or a file claimed (a recording being
// written, the script being run). A symbolic link is followed and the file it
// leads to replaced; a loop of links is refused. The replacement keeps the old
// file's read, write and execute permissions (not its set-user-ID,
// set-group-ID or sticky bit), and its owner and group where the system lets
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

// While a Claim lives, the file it names is refused to write() (a recording
// must not be replaced under its writer, nor a script while it runs);
// refusal() says "it is WHAT".
class Claim
{
public:
    Claim() = default;
    // The file open as `descriptor`.
    Claim(int descriptor, const QString& what);
    // The file at `path` now.
    Claim(const QString& path, const QString& what);
    ~Claim();
    Claim(const Claim&) = delete;
    Claim& operator=(const Claim&) = delete;

private:
    void hold(quint64 device, quint64 inode, const QString& what);

    quint64 m_device = 0;
    quint64 m_inode = 0;
    QString m_what;
    bool m_held = false;
};
} // namespace SafeFile
