#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

// Writes `content` to `path` as a whole: the file is replaced only once
// everything is written, so a failed save leaves the old file as it was.
inline bool saveFile(const QString& path, const QByteArray& content, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit()) {
        *error = QStringLiteral("cannot write \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
