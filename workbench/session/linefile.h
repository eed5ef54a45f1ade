// SPDX-License-Identifier: MIT
#pragma once

#include "safefile.h"

#include <QByteArray>
#include <QString>

#include <memory>

// A file that grows a line at a time and is read while it grows, as a
// recording is. Each line reaches the file whole or not at all: when a write
// fails (a full disk), the file is cut back to its last whole line and
// closed, so that it never ends inside a word or a number; a file open()
// made that got no line at all is removed. Only a regular
// file, or a new one, is opened; a FIFO, which would block the window until
// something reads it, or a device is refused.
class LineFile
{
public:
    LineFile() = default;
    ~LineFile();
    LineFile(const LineFile&) = delete;
    LineFile& operator=(const LineFile&) = delete;

    // Creates or empties `path`; false and `error` set to the reason when it cannot.
    bool open(const QString& path, QString* error);
    bool isOpen() const { return m_descriptor >= 0; }
    // Appends `line` and a line feed. On failure the file keeps the lines
    // before and is closed; `error` says why.
    bool writeLine(const QByteArray& line, QString* error);
    // Syncs the file to the disk and closes it; false and `error` set when
    // that failed.
    bool close(QString* error);

private:
    void abandon();

    int m_descriptor = -1;
    QByteArray m_name;      // the file's name, encoded
    bool m_created = false; // the file was made by open()
    qint64 m_size = 0;      // the bytes of the whole lines written
    std::unique_ptr<SafeFile::Claim> m_claim;
};
