#include "LineTotals.h"

#include <cmath>

namespace zandor::line {

namespace {

constexpr qint64 kMsPerSecond = 1000;
constexpr qint64 kSecondsPerHour = 3600;
constexpr qint64 kRateAfterMs = 60 * kMsPerSecond;  // fewer seconds give a rate that means nothing
const QString kNoFigure = QStringLiteral("-");

}  // namespace

LineTotals ComputeTotals(const std::vector<PortTally>& tallies, qint64 elapsedMs)
{
    LineTotals totals;
    for (const PortTally& tally : tallies) {
        totals.passed += tally.done;
        totals.failed += tally.failed;
    }
    totals.boards = totals.passed + totals.failed;
    totals.yield = totals.boards > 0 ? QStringLiteral("%1 %").arg(qRound(100.0 * totals.passed / totals.boards))
                                     : kNoFigure;
    totals.perHour = elapsedMs >= kRateAfterMs
                         ? QString::number(qRound(double(totals.boards) * kSecondsPerHour * kMsPerSecond / elapsedMs))
                         : kNoFigure;
    const qint64 seconds = std::max<qint64>(0, elapsedMs) / kMsPerSecond;
    totals.elapsed = QStringLiteral("%1:%2:%3")
                         .arg(seconds / kSecondsPerHour)
                         .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                         .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return totals;
}

int TileColumns(int count)
{
    // Wider than high, as screens are: 3 in a row, 4 as 2 by 2, then up to 4 in a row.
    if (count <= 3)
        return std::max(1, count);
    if (count == 4)
        return 2;
    if (count <= 6)
        return 3;
    return 4;
}

}  // namespace zandor::line
