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

// The files that claims protect, with what each claim says the file is.
QHash<FileId, QStringList>& claimed()
{
    static QHash<FileId, QStringList> files;
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

// The name QSaveFile writes for `path`: where its symbolic links lead, as
// far as they lead (a link into a missing folder leads to a missing file).
QString finalName(const QString& path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < 64 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.filePath();
}
} // namespace

namespace SafeFile {

QString refusal(const QString& path)
{
    if (path.isEmpty())
        return QStringLiteral("a file name is needed");
    const QByteArray name = QFile::encodeName(path);
    struct stat status = {};
    // Not there yet, or a link that leads nowhere: the file is made. A loop
    // of links would have the link itself replaced.
    if (::stat(name.constData(), &status) != 0)
        return errno == ELOOP ? QStringLiteral("too many levels of symbolic links") : QString();
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
    const QStringList claims = claimed().value(id);
    if (!claims.isEmpty())
        return QStringLiteral("it is ") + claims.first();
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
    const QString target = finalName(path);
    const QString folder = QFileInfo(target).absolutePath();
    const QFileInfo folderInfo(folder);
    if (folderInfo.exists() && !folderInfo.isDir())
        return fail(QStringLiteral("\"%1\" is not a folder").arg(Excerpt::of(folder)));
    if (!folderInfo.isDir() && QFileInfo(path).isSymLink())
        return fail(QStringLiteral("it leads into \"%1\", a folder that is not there").arg(Excerpt::of(folder)));
    if (!folderInfo.isDir())
        return fail(QStringLiteral("there is no folder \"%1\"").arg(Excerpt::of(folder)));
    if (exists && ::access(name.constData(), W_OK) != 0)
        return fail(QStringLiteral("it may not be written (%1)").arg(qt_error_string(errno)));
    const QString kept = exists ? QStringLiteral("the old file is kept") : QStringLiteral("no file was made");

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        // A folder that is there but where no name can be made (/proc) says "no such file".
        const bool noNewNames = file.errorString() == qt_error_string(ENOENT);
        return fail(QStringLiteral("cannot create a new file in \"%1\" to write it to: %2")
                        .arg(Excerpt::of(folder),
                             noNewNames ? QStringLiteral("the folder takes no new files") : file.errorString()));
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

Claim::Claim(int descriptor, const QString& what)
{
    struct stat status = {};
    if (::fstat(descriptor, &status) == 0)
        hold(quint64(status.st_dev), quint64(status.st_ino), what);
}

Claim::Claim(const QString& path, const QString& what)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) == 0)
        hold(quint64(status.st_dev), quint64(status.st_ino), what);
}

void Claim::hold(quint64 device, quint64 inode, const QString& what)
{
    m_device = device;
    m_inode = inode;
    m_what = what;
    m_held = true;
    claimed()[FileId{device, inode}].append(what);
}

Claim::~Claim()
{
    if (!m_held)
        return;
    const FileId id{m_device, m_inode};
    auto it = claimed().find(id);
    if (it == claimed().end())
        return;
    it.value().removeOne(m_what);
    if (it.value().isEmpty())
        claimed().erase(it);
}

} // namespace SafeFile
