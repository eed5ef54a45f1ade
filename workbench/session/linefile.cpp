// SPDX-License-Identifier: MIT
#include "linefile.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

LineFile::~LineFile()
{
    abandon();
}

bool LineFile::open(const QString& path, QString* error)
{
    abandon();
    const QString refused = SafeFile::refusal(path);
    if (!refused.isEmpty()) {
        *error = refused;
        return false;
    }
    // Opened without waiting, and checked once open: what is opened is what is written.
    const QByteArray name = QFile::encodeName(path);
    const int flags = O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC;
    int descriptor = ::open(name.constData(), flags | O_EXCL, 0666);
    m_created = descriptor >= 0;
    if (descriptor < 0 && errno == EEXIST)
        descriptor = ::open(name.constData(), flags, 0666);
    if (descriptor < 0) {
        *error = qt_error_string(errno);
        return false;
    }
    struct stat status = {};
    const bool regular = ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
    const int opened = ::fcntl(descriptor, F_GETFL);
    if (!regular || opened < 0 || ::fcntl(descriptor, F_SETFL, opened & ~O_NONBLOCK) != 0
        || ::ftruncate(descriptor, 0) != 0) {
        *error = regular ? qt_error_string(errno) : QStringLiteral("it is not a regular file");
        ::close(descriptor);
        return false;
    }
    m_descriptor = descriptor;
    m_name = name;
    m_size = 0;
    m_claim = std::make_unique<SafeFile::Claim>(descriptor, QStringLiteral("the recording being written"));
    return true;
}

bool LineFile::writeLine(const QByteArray& line, QString* error)
{
    if (!isOpen()) {
        *error = QStringLiteral("the file is closed");
        return false;
    }
    const QByteArray bytes = line + '\n';
    qint64 written = 0;
    while (written < bytes.size()) {
        const ssize_t done = ::write(m_descriptor, bytes.constData() + written, size_t(bytes.size() - written));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            *error = done < 0 ? qt_error_string(errno) : QStringLiteral("nothing could be written");
            // What the failed line left goes again: the file ends with a whole line.
            if (::ftruncate(m_descriptor, m_size) != 0)
                *error += QStringLiteral(", and the unfinished line could not be cut off: %1").arg(qt_error_string(errno));
            // A file made here that got nothing is not left behind (unless another has taken its name).
            struct stat opened = {};
            struct stat named = {};
            if (m_created && m_size == 0 && ::fstat(m_descriptor, &opened) == 0 && ::stat(m_name.constData(), &named) == 0
                && opened.st_dev == named.st_dev && opened.st_ino == named.st_ino)
                ::unlink(m_name.constData());
            abandon();
            return false;
        }
        written += done;
    }
    m_size += bytes.size();
    return true;
}

bool LineFile::close(QString* error)
{
    if (!isOpen())
        return true;
    const bool synced = ::fsync(m_descriptor) == 0;
    const int syncError = errno;
    const bool closed = ::close(m_descriptor) == 0;
    const int closeError = errno;
    m_descriptor = -1;
    m_claim.reset();
    if (synced && closed)
        return true;
    *error = qt_error_string(synced ? closeError : syncError);
    return false;
}

void LineFile::abandon()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    m_descriptor = -1;
    m_claim.reset();
}
