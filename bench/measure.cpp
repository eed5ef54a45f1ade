// SPDX-License-Identifier: MIT
#include "measure.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <malloc.h>

namespace {
constexpr qint64 kMinBatchNs = 2'000'000; // a batch lasts at least 2 ms
constexpr int kBatches = 15;
constexpr int kWarmUpCalls = 3;

QString formatted(double value, const QString& unit)
{
    if (unit == QLatin1String("ns")) {
        if (value >= 1e6)
            return QStringLiteral("%1 ms").arg(value / 1e6, 0, 'f', 3);
        if (value >= 1e3)
            return QStringLiteral("%1 us").arg(value / 1e3, 0, 'f', 2);
        return QStringLiteral("%1 ns").arg(value, 0, 'f', 0);
    }
    if (unit == QLatin1String("B")) {
        if (value >= 1024 * 1024)
            return QStringLiteral("%1 MiB").arg(value / (1024.0 * 1024.0), 0, 'f', 2);
        return QStringLiteral("%1 KiB").arg(value / 1024.0, 0, 'f', 1);
    }
    return QStringLiteral("%1 %2").arg(value, 0, 'f', 2).arg(unit);
}
} // namespace

double medianNanoseconds(const std::function<void()>& operation)
{
    for (int i = 0; i < kWarmUpCalls; ++i)
        operation();

    // Find a batch size that lasts long enough for the clock.
    qint64 calls = 1;
    QElapsedTimer timer;
    for (;;) {
        timer.start();
        for (qint64 i = 0; i < calls; ++i)
            operation();
        if (timer.nsecsElapsed() >= kMinBatchNs || calls >= (qint64(1) << 24))
            break;
        calls *= 2;
    }

    std::vector<double> perCall;
    perCall.reserve(kBatches);
    for (int batch = 0; batch < kBatches; ++batch) {
        timer.start();
        for (qint64 i = 0; i < calls; ++i)
            operation();
        perCall.push_back(double(timer.nsecsElapsed()) / double(calls));
    }
    std::nth_element(perCall.begin(), perCall.begin() + kBatches / 2, perCall.end());
    return perCall[kBatches / 2];
}

qint64 heapBytesInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks) + qint64(info.hblkhd);
}

void printHeading(const QString& heading, const char* measured)
{
    std::printf("\n%s\n", qPrintable(heading));
    std::printf("  %-46s %12s %12s %8s  %s\n", "figure", measured, "baseline", "ratio", "aim");
}

void printFigure(const QString& figure, double value, double baseline, const QString& unit, const QString& aim)
{
    const QString ratio = baseline > 0 ? QStringLiteral("%1x").arg(value / baseline, 0, 'f', 2) : QStringLiteral("-");
    std::printf("  %-46s %12s %12s %8s  %s\n", qPrintable(figure), qPrintable(formatted(value, unit)),
                qPrintable(formatted(baseline, unit)), qPrintable(ratio), qPrintable(aim));
    std::fflush(stdout);
}
