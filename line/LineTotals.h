#pragma once

// The totals at the top of the window: boards, passed, failed, yield, boards per hour and
// the time since Start, from the tallies of every port.

#include "PortTally.h"

#include <QString>
#include <vector>

namespace zandor::line {

struct LineTotals {
    int boards = 0;
    int passed = 0;
    int failed = 0;
    QString yield;        // "67 %", "-" before the first board
    QString perHour;      // "120", "-" before the first minute
    QString elapsed;      // "1:02:03"
};

LineTotals ComputeTotals(const std::vector<PortTally>& tallies, qint64 elapsedMs);

// How many tiles stand side by side for `count` ports (1 to 16 and more).
int TileColumns(int count);

}  // namespace zandor::line
