// SPDX-License-Identifier: MIT
#include "core/toolsinterface.h"
#include "device/simulateddevice.h"
#include "device/simulatedmodule.h"
#include "linefile.h"
#include "mainwindow.h"
#include "pluginhost.h"
#include "safefile.h"
#include "scriptparser.h"
#include "session.h"
#include "sessionrecorder.h"
#include "workbenchsupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <csignal>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace WorkbenchSupport;

namespace {
const QByteArray kOld = "the old content\n";

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// While it lives, files of this process cannot grow beyond `bytes`: a write
// past it fails (EFBIG) as on a full disk, after writing what fits.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old = {};
    void (*m_handler)(int) = nullptr;
};

// Closes the message boxes the window opens, and keeps what they said. A
// file dialog gets `typed` as the file's name; once it asked, it is cancelled.
class MessageBoxes : public QObject
{
public:
    explicit MessageBoxes(const QString& typed = QString())
    {
        connect(&m_timer, &QTimer::timeout, this, [this, typed] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                texts << box->text();
                box->close();
            } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                if (std::exchange(m_typed, true))
                    return dialog->reject();
                dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(typed);
                QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
            }
        });
        m_timer.start(10);
    }

    QStringList texts;

private:
    QTimer m_timer;
    bool m_typed = false;
};

// The names in `dir` other than `except`.
QStringList leftovers(const QTemporaryDir& dir, const QStringList& except)
{
    QStringList names = QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden);
    for (const QString& name : except)
        names.removeAll(name);
    return names;
}
} // namespace

class tst_Files : public QObject
{
    Q_OBJECT

private slots:
    void savingRefusesWhatIsNotARegularFile_data();
    void savingRefusesWhatIsNotARegularFile();
    void aNameTypedIsCheckedWithTheExtensionItGets();
    void aFolderThatTakesNoNewFileIsNamedAsWhatFailed();
    void onAFullDiskEverySaveKeepsTheOldFile();
    void recordingRefusesAFifoWithoutWaitingForAReader();
    void aRecordingThatCannotGrowEndsWithItsLastWholeLine();
};

void tst_Files::savingRefusesWhatIsNotARegularFile_data()
{
    QTest::addColumn<QString>("kind"); // what to make at the path
    QTest::addColumn<QString>("reason");
    QTest::newRow("character device") << "device"
                                      << "it is a character device, not a regular file";
    QTest::newRow("link to a character device") << "link"
                                                << "it leads to \"DEVICE\", a character device, not a regular file";
    QTest::newRow("FIFO") << "fifo"
                          << "it is a FIFO (named pipe), not a regular file";
    QTest::newRow("directory") << "directory"
                               << "it is a directory, not a regular file";
    QTest::newRow("where standard output goes") << "stdout"
                                                << "it is where the workbench's standard output goes";
    QTest::newRow("a recording being written") << "claimed"
                                               << "it is the recording being written";
    QTest::newRow("the script being run") << "script"
                                          << "it is the script being run";
    QTest::newRow("loop of links") << "loop"
                                   << "too many levels of symbolic links";
    QTest::newRow("link into a missing folder") << "dangling"
                                                << "it leads into \"DIR/nowhere\", a folder that is not there";
    QTest::newRow("inside a plain file") << "inside"
                                         << "\"DIR/target\" is not a folder";
    QTest::newRow("no name") << "empty"
                             << "a file name is needed";
    QTest::newRow("folder that takes no new files") << "proc"
                                                    << "cannot create a new file in \"/proc\" to write it to: the "
                                                       "folder takes no new files";
}

void tst_Files::savingRefusesWhatIsNotARegularFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("target"));
    // A device of the test's own where it may make one (as root), so that a
    // workbench that wrongly replaces it harms no device of the machine.
    const bool root = geteuid() == 0;
    const QString device = root ? dir.filePath(QStringLiteral("null")) : QStringLiteral("/dev/null");
    if (root)
        QCOMPARE(mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)), 0);
    reason.replace(QLatin1String("DEVICE"), device).replace(QLatin1String("DIR"), dir.path());
    std::unique_ptr<LineFile> recording;
    int savedStdout = -1;
    if (kind == QLatin1String("device")) {
        path = device;
    } else if (kind == QLatin1String("link")) {
        QVERIFY(QFile::link(device, path));
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("directory")) {
        QVERIFY(QDir().mkdir(path));
    } else if (kind == QLatin1String("stdout")) {
        // Standard output sent to a regular file, as `workbench > out.txt` does.
        QFile(path).open(QIODevice::WriteOnly);
        savedStdout = dup(STDOUT_FILENO);
        const int file = ::open(QFile::encodeName(path).constData(), O_WRONLY);
        dup2(file, STDOUT_FILENO);
        ::close(file);
    } else if (kind == QLatin1String("script")) {
        writeFile(dir, QStringLiteral("target"), "product 40\nsave journal " + path.toUtf8() + '\n');
    } else if (kind == QLatin1String("loop")) {
        QVERIFY(QFile::link(path, path)); // a link to itself
    } else if (kind == QLatin1String("dangling")) {
        QVERIFY(QFile::link(QStringLiteral("nowhere/x.txt"), path));
    } else if (kind == QLatin1String("inside")) {
        writeFile(dir, QStringLiteral("target"), kOld);
        path += QStringLiteral("/x");
    } else if (kind == QLatin1String("empty") || kind == QLatin1String("proc")) {
        if (!root && kind == QLatin1String("proc"))
            QSKIP("only root gets past the permissions of /proc");
        path = kind == QLatin1String("proc") ? QStringLiteral("/proc/version") : QString();
    } else {
        recording = std::make_unique<LineFile>();
        QString error;
        QVERIFY2(recording->open(path, &error), qPrintable(error));
    }
    struct stat before = {};
    const bool existed = ::lstat(QFile::encodeName(path).constData(), &before) == 0;

    QString error;
    bool written = false;
    if (kind == QLatin1String("script")) {
        QProcess process;
        process.start(workbenchExecutable(), {QStringLiteral("--script"), path});
        QVERIFY(process.waitForFinished(60000));
        written = process.exitCode() == 0;
        error = QString::fromUtf8(process.readAllStandardError()).trimmed().section(QStringLiteral(": error: "), 1);
    } else {
        written = SafeFile::write(path, QByteArray("nothing of this may land\n"), &error);
    }
    if (savedStdout >= 0) {
        dup2(savedStdout, STDOUT_FILENO);
        ::close(savedStdout);
    }
    QVERIFY(!written);
    QCOMPARE(error, QStringLiteral("cannot write \"%1\": %2").arg(path, reason));
    // Still what it was, and nothing left beside it.
    struct stat after = {};
    QCOMPARE(::lstat(QFile::encodeName(path).constData(), &after) == 0, existed);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_size, before.st_size);
    QVERIFY2(leftovers(dir, {QStringLiteral("target"), QStringLiteral("null")}).isEmpty(),
             qPrintable(leftovers(dir, {}).join(' ')));
}

void tst_Files::aNameTypedIsCheckedWithTheExtensionItGets()
{
    // "session" typed while session.wbs is there: the dialog asks before that file is replaced.
    QTemporaryDir dir;
    std::unique_ptr<Session> session = loadedSession();
    MainWindow window(*session);
    const std::pair<QString, QAbstractButton*> dialogs[] = {
        {QStringLiteral("motion.csv"), window.findChild<QToolButton*>(QStringLiteral("plotSave"))},
        {QStringLiteral("session.wbs"), nullptr}};
    for (const auto& [name, button] : dialogs) {
        const QString path = writeFile(dir, name, kOld);
        MessageBoxes boxes(path.left(path.lastIndexOf(QLatin1Char('.'))));
        button ? button->click() : window.findChild<QAction*>(QStringLiteral("recordAction"))->trigger();
        QCOMPARE(boxes.texts, QStringList{name + QStringLiteral(" already exists.\nDo you want to replace it?")});
        QCOMPARE(readAll(path), kOld);
    }
}

void tst_Files::aFolderThatTakesNoNewFileIsNamedAsWhatFailed()
{
    // A file the user may write, in a folder where no new file may be made:
    // the new file cannot be made, so the old one stays.
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("locked"));
    QVERIFY(QDir().mkdir(folder));
    const QString path = folder + QStringLiteral("/motion.csv");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write(kOld) == kOld.size());
    old.close();
    QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions(0x6666)));
    const QString script = writeFile(dir, QStringLiteral("save.wbs"),
                                     "product 40\nopen\nadvance 100\nsave plot " + path.toUtf8() + '\n');
    QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x5555)));
    QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7755)));
    QVERIFY(QFile::setPermissions(script, QFileDevice::Permissions(0x6644)));

    // Root may make files anywhere: the workbench runs as nobody then.
    QStringList command{workbenchExecutable(), QStringLiteral("--script"), script};
    if (geteuid() == 0)
        command = QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                              QStringLiteral("--clear-groups")}
                  + command;
    QProcess process;
    process.start(geteuid() == 0 ? QStringLiteral("setpriv") : command.takeFirst(), command);
    QVERIFY(process.waitForFinished(60000));
    if (geteuid() == 0 && process.exitCode() != 2)
        QSKIP(qPrintable("cannot run the workbench as nobody here: " + process.readAllStandardError()));
    QCOMPARE(process.exitCode(), 2);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(err.contains(QStringLiteral("save.wbs:4: error: cannot write \"%1\": cannot create a new file in \"%2\" "
                                         "to write it to: Permission denied")
                              .arg(path, folder)),
             qPrintable(err));
    QCOMPARE(readAll(path), kOld);
}

void tst_Files::onAFullDiskEverySaveKeepsTheOldFile()
{
    // A small file system of its own, filled up, in a private mount namespace.
    if (QProcess::execute(QStringLiteral("unshare"),
                          {QStringLiteral("--mount"), QStringLiteral("--map-root-user"), QStringLiteral("true")})
        != 0)
        QSKIP("no private mount namespace here (unshare --mount --map-root-user)");
    QTemporaryDir dir;
    const QString full = dir.filePath(QStringLiteral("full"));
    QVERIFY(QDir().mkdir(full));
    const QByteArray run = "product 40\nopen\nshow\nset sbTargetPosition 1000\nclick btnMoveAbsolute\nadvance 500\n";
    writeFile(dir, QStringLiteral("journal.wbs"), run + "save journal " + full.toUtf8() + "/journal.txt\n");
    writeFile(dir, QStringLiteral("csv.wbs"), run + "save plot " + full.toUtf8() + "/motion.csv\n");
    writeFile(dir, QStringLiteral("png.wbs"), run + "save plot " + full.toUtf8() + "/motion.png\n");
    writeFile(dir, QStringLiteral("pdf.wbs"), run + "save plot " + full.toUtf8() + "/motion.pdf\n");
    writeFile(dir, QStringLiteral("plain.wbs"), run);
    // Enough lines for the journal to move some out of memory, into a file in TMPDIR.
    writeFile(dir, QStringLiteral("long.wbs"),
              "product 40\nopen\n" + QByteArray("click btnMoveAbsolute\n").repeated(20000));
    const QString shell = writeFile(dir, QStringLiteral("full.sh"), R"(
        cd "$1" && mount -t tmpfs -o size=256k tmpfs full || exit 77
        for name in journal.txt motion.csv motion.png motion.pdf shot.png; do printf 'the old content\n' > full/$name; done
        cat /dev/zero > full/filler 2>/dev/null
        for name in journal csv png pdf; do "$2" --script $name.wbs 2>&1 | grep 'error: '; done
        "$2" --script plain.wbs --screenshot full/shot.png 2>&1 | grep 'error: '
        for name in journal.txt motion.csv motion.png motion.pdf shot.png; do printf '%s: ' $name; cat full/$name; done
        ls -a full | tr '\n' ' '
        echo; TMPDIR="$1/full" "$2" --script long.wbs 2>&1
    )");
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral("unshare"), {QStringLiteral("--mount"), QStringLiteral("--map-root-user"),
                                              QStringLiteral("sh"), shell, dir.path(), workbenchExecutable()});
    QVERIFY(process.waitForFinished(120000));
    if (process.exitCode() == 77)
        QSKIP("cannot mount a file system of our own here");
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'));
    const QString full_ = full + QLatin1Char('/');
    const QString noSpace = QStringLiteral(": No space left on device; the old file is kept");
    QCOMPARE(lines.mid(0, 10),
             QStringList({QStringLiteral("journal.wbs:7: error: cannot write \"%1journal.txt\"").arg(full_) + noSpace,
                          QStringLiteral("csv.wbs:7: error: cannot write \"%1motion.csv\"").arg(full_) + noSpace,
                          QStringLiteral("png.wbs:7: error: cannot write \"%1motion.png\"").arg(full_) + noSpace,
                          QStringLiteral("pdf.wbs:7: error: cannot write \"%1motion.pdf\"").arg(full_) + noSpace,
                          QStringLiteral("workbench: error: cannot write \"full/shot.png\"") + noSpace,
                          "journal.txt: the old content", "motion.csv: the old content", "motion.png: the old content",
                          "motion.pdf: the old content", "shot.png: the old content"}));
    // Nothing half-written is left behind.
    QCOMPARE(lines.value(10).split(QLatin1Char(' '), Qt::SkipEmptyParts),
             QStringList({".", "..", "filler", "journal.txt", "motion.csv", "motion.pdf", "motion.png", "shot.png"}));
    // The journal's own file in the same state: it says why, without --verbose.
    QCOMPARE(lines.value(11), QStringLiteral("the journal keeps every line in memory from now on: cannot write its "
                                             "older lines to a file in \"%1\": No space left on device")
                                  .arg(full));
}

void tst_Files::recordingRefusesAFifoWithoutWaitingForAReader()
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("session.wbs"));
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    std::unique_ptr<Session> session = loadedSession();
    MainWindow window(*session);
    QString error;
    QVERIFY(window.openProduct(40, 0, &error));
    // Opening a FIFO for writing would wait for a reader: the window would freeze.
    QVERIFY(!window.startRecording(fifo, &error));
    QCOMPARE(error,
             QStringLiteral("cannot write the recording \"%1\": it is a FIFO (named pipe), not a regular file").arg(fifo));
    QVERIFY(!window.recorder()->isRecording());

    // A recording replaces whatever the file held.
    const QString old = writeFile(dir, QStringLiteral("old.wbs"), QByteArray(1000, '#'));
    LineFile recording;
    QVERIFY2(recording.open(old, &error) && recording.writeLine("x", &error) && recording.close(&error),
             qPrintable(error));
    QFile written(old);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray("x\n"));
}

void tst_Files::aRecordingThatCannotGrowEndsWithItsLastWholeLine()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("session.wbs"));
    std::unique_ptr<Session> session = loadedSession();
    PluginHost* host = &session->host();
    MainWindow window(*session);
    window.setRealTime(false);
    QString error;
    QVERIFY(window.openProduct(40, 0, &error));
    window.show();
    {
        // Not even the first line fits: no empty file is left.
        const FileSizeLimit limit(0);
        QVERIFY(!window.startRecording(path, &error));
        QVERIFY(!QFile::exists(path));
    }
    QVERIFY2(window.startRecording(path, &error), qPrintable(error));
    QSignalSpy failed(window.recorder(), &SessionRecorder::failed);
    MessageBoxes boxes;
    auto* target = host->tool()->findChild<QSpinBox*>(QStringLiteral("sbTargetPosition"));
    auto* absolute = host->tool()->findChild<QAbstractButton*>(QStringLiteral("btnMoveAbsolute"));
    QVERIFY(target && absolute);
    {
        // The disk takes a few bytes more, then no more: a line is cut inside.
        const FileSizeLimit limit(rlim_t(QFileInfo(path).size() + 45));
        for (int i = 0; i < 20 && window.recorder()->isRecording(); ++i) {
            target->setFocus();
            target->selectAll();
            QTest::keyClicks(target, QString::number(123456789 + i));
            QTest::keyClick(target, Qt::Key_Return);
            absolute->click();
            session->advance(250);
        }
    }
    QVERIFY(!window.recorder()->isRecording());
    // The window says so.
    const QString message =
        QStringLiteral("cannot write the recording \"%1\": File too large; it stops here, after its last whole line")
            .arg(path);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.first().first().toString(), message);
    QCOMPARE(boxes.texts, QStringList{message});
    // Whole lines only, each a command the script reads back as written.
    const QByteArray recorded = readAll(path);
    QVERIFY2(recorded.endsWith('\n'), recorded.right(40).constData());
    QList<ScriptCommand> commands;
    ScriptParser::Error parseError;
    QVERIFY2(ScriptParser::parse(QString::fromUtf8(recorded), &commands, &parseError),
             qPrintable(parseError.message + "\n" + recorded));
    QCOMPARE(commands.last().kind, ScriptCommand::Set);
    QCOMPARE(commands.last().text, QStringLiteral("123456789"));
}

QTEST_MAIN(tst_Files)
#include "tst_files.moc"
