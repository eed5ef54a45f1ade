// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <functional>

// Median wall-clock cost of one call of `operation`, in nanoseconds: calls are
// timed in batches long enough for the clock, and the median batch counts.
double medianNanoseconds(const std::function<void()>& operation);

// Heap memory in use by this process, in bytes. Unlike the resident size it
// also sees allocations that reuse memory freed earlier in the run.
qint64 heapBytesInUse();

// One line of the report: a figure, its baseline, their ratio, and the aim.
void printFigure(const QString& figure, double value, double baseline, const QString& unit, const QString& aim);
// `measured` names the figure's column: a median time, or a mean size.
void printHeading(const QString& heading, const char* measured = "median");
