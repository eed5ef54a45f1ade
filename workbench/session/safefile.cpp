// SPDX-License-Identifier: MIT
#include "safefile.h"

#include "core/excerpt.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>
#include <QSet>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace {
struct FileId
{
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileId& other) const { return device == other.device && inode == other.inode; }
};

uint qHash(const FileId& id, uint seed = 0)
{
    return ::qHash(id.device, seed) ^ ::qHash(id.inode, seed);
}

// The files that claims protect, with how many claims each.
QHash<FileId, int>& claimed()
{
    static QHash<FileId, int> files;
    return files;
}

FileId idOf(const struct stat& status)
{
    return FileId{quint64(status.st_dev), quint64(status.st_ino)};
}

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a directory");
    if (S_ISCHR(mode))
        return QStringLiteral("a character device");
    if (S_ISBLK(mode))
        return QStringLiteral("a block device");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO (named pipe)");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("something else");
}

// Writes straight to a file descriptor, keeping the system's reason when a
// write fails (Qt's own buffered writes lose it when a write falls short).
class DescriptorWriter : public QIODevice
{
public:
    explicit DescriptorWriter(int descriptor)
        : m_descriptor(descriptor)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        qint64 written = 0;
        while (written < size) {
            const ssize_t done = ::write(m_descriptor, data + written, size_t(size - written));
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0) {
                setErrorString(done < 0 ? qt_error_string(errno) : QStringLiteral("nothing could be written"));
                return -1;
            }
            written += done;
        }
        return written;
    }

private:
    int m_descriptor;
};

// Gives the new file the owner and group of the one it replaces, where the
// system lets us (root may give any; others only a group of their own).
void keepOwner(int descriptor, const struct stat& old)
{
    if (old.st_uid == geteuid() && old.st_gid == getegid())
        return;
    if (fchown(descriptor, old.st_uid, old.st_gid) == 0)
        return;
    // When the group cannot be given either, the new file stays ours.
    [[maybe_unused]] const int groupGiven = fchown(descriptor, uid_t(-1), old.st_gid);
}
} // namespace

namespace SafeFile {

QString refusal(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status = {};
    // Not there yet, or a link that leads nowhere: the file is made.
    if (::stat(name.constData(), &status) != 0)
        return QString();
    struct stat link = {};
    const bool linked = ::lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode);
    if (!S_ISREG(status.st_mode)) {
        const QString target = linked ? QFileInfo(path).canonicalFilePath() : QString();
        const QString what = !linked            ? QStringLiteral("it is ")
                             : target.isEmpty() ? QStringLiteral("it leads to ")
                                                : QStringLiteral("it leads to \"%1\", ").arg(Excerpt::of(target));
        return what + kindOf(status.st_mode) + QStringLiteral(", not a regular file");
    }
    const FileId id = idOf(status);
    const struct
    {
        int descriptor;
        const char* name;
    } streams[] = {{STDOUT_FILENO, "standard output"}, {STDERR_FILENO, "standard error"}};
    for (const auto& stream : streams) {
        struct stat open = {};
        if (::fstat(stream.descriptor, &open) == 0 && idOf(open) == id)
            return QStringLiteral("it is where the workbench's %1 goes").arg(QLatin1String(stream.name));
    }
    if (claimed().contains(id))
        return QStringLiteral("it is the recording being written");
    return QString();
}

bool write(const QString& path, const QByteArray& content, QString* error)
{
    return write(
        path, [&content](QIODevice& device) { return device.write(content) == content.size(); }, error);
}

bool write(const QString& path, const Writer& writer, QString* error)
{
    const auto fail = [&](const QString& reason) {
        *error = QStringLiteral("cannot write \"%1\": %2").arg(Excerpt::of(path), reason);
        return false;
    };
    const QString refused = refusal(path);
    if (!refused.isEmpty())
        return fail(refused);
    const QByteArray name = QFile::encodeName(path);
    struct stat old = {};
    const bool exists = ::stat(name.constData(), &old) == 0;
    // The new file is made in the folder of the file it replaces (of a link's target).
    const QFileInfo info(exists ? QFileInfo(path).canonicalFilePath() : path);
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir())
        return fail(QStringLiteral("there is no folder \"%1\"").arg(Excerpt::of(folder)));
    if (exists && ::access(name.constData(), W_OK) != 0)
        return fail(QStringLiteral("it may not be written (%1)").arg(qt_error_string(errno)));
    const QString kept = exists ? QStringLiteral("the old file is kept") : QStringLiteral("no file was made");

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return fail(QStringLiteral("cannot create a new file in \"%1\" to write it to: %2")
                        .arg(Excerpt::of(folder), file.errorString()));
    }
    if (exists)
        keepOwner(file.handle(), old);
    // Written past Qt's buffer, so that a full disk shows in the write that
    // meets it, with its reason.
    DescriptorWriter device(file.handle());
    if (!writer(device)) {
        const QString reason = device.errorString();
        file.cancelWriting();
        return fail(QStringLiteral("%1; %2").arg(
            reason.isEmpty() ? QStringLiteral("the content could not be made") : reason, kept));
    }
    if (::fsync(file.handle()) != 0) {
        const QString reason = qt_error_string(errno);
        file.cancelWriting();
        return fail(QStringLiteral("it did not reach the disk: %1; %2").arg(reason, kept));
    }
    if (!file.commit())
        return fail(QStringLiteral("cannot put the new file in its place: %1; %2").arg(file.errorString(), kept));
    return true;
}

Claim::Claim(int descriptor)
{
    struct stat status = {};
    if (::fstat(descriptor, &status) != 0)
        return;
    const FileId id = idOf(status);
    m_device = id.device;
    m_inode = id.inode;
    m_held = true;
    ++claimed()[id];
}

Claim::~Claim()
{
    if (!m_held)
        return;
    const FileId id{m_device, m_inode};
    auto it = claimed().find(id);
    if (it != claimed().end() && --it.value() <= 0)
        claimed().erase(it);
}

} // namespace SafeFile
