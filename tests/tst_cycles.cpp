#include "fixture.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QTest>

#if defined(__SANITIZE_ADDRESS__)
#include <cstddef>
// The allocator's own count of live bytes (GCC ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace {
constexpr int kCycles = 1000;
constexpr int kSettlingCycles = 10;
constexpr qint64 kAllowedGrowth = 1024 * 1024;

// Bytes the program holds on the heap now. Resident memory would not do:
// freed memory stays resident and is reused, and AddressSanitizer keeps
// freed blocks in quarantine. glibc counts blocks in its per-thread cache as
// in use, so the test runs with that cache off (see CMakeLists.txt).
qint64 liveHeapBytes()
{
#if defined(__SANITIZE_ADDRESS__)
    return qint64(__sanitizer_get_current_allocated_bytes());
#else
    return qint64(mallinfo2().uordblks);
#endif
}
} // namespace

class tst_Cycles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }
    void openShowHideDestroyKeepsNothing_data();
    void openShowHideDestroyKeepsNothing();
};

void tst_Cycles::openShowHideDestroyKeepsNothing_data()
{
    QTest::addColumn<int>("variant");
    for (int variant : {40, 100, 105, 108, 135, 139})
        QTest::newRow(qPrintable(QString::number(variant))) << variant;
}

// The host's own life cycle of a tool window, a thousand times over one module
// and one root; anything a cycle leaves behind adds up. LeakSanitizer, in the
// sanitizer build, reports whatever is never freed at all.
void tst_Cycles::openShowHideDestroyKeepsNothing()
{
    QFETCH(int, variant);
    Fixture fixture(variant);
    // The root is asked about the variant once: it records its information
    // entries again on every such call, which is the root's record and grows
    // by design, not something a tool leaves behind.
    fixture.open();
    const auto cycle = [&fixture] {
        if (!fixture.reopen())
            return false;
        fixture.show();
        fixture.refresh();
        fixture.hide();
        fixture.close();
        // Deferred deletions too, as the host's event loop between two windows.
        Fixture::deliver();
        // The journal is the host's record, not the tool's: it keeps every line.
        fixture.module()->journal()->clear();
        return true;
    };
    for (int round = 0; round < kSettlingCycles; ++round)
        QVERIFY(cycle());
    const qint64 settled = liveHeapBytes();
    for (int round = kSettlingCycles; round < kCycles; ++round)
        QVERIFY(cycle());
    const qint64 growth = liveHeapBytes() - settled;
    const QByteArray report = QByteArray::number(growth) + " bytes more after "
                              + QByteArray::number(kCycles - kSettlingCycles) + " cycles";
    qInfo("%s", report.constData());
    QVERIFY2(growth < kAllowedGrowth, report.constData());
}

QTEST_MAIN(tst_Cycles)
#include "tst_cycles.moc"
