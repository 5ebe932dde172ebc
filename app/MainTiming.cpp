#include "MainTiming.h"

#include <QtMath>

namespace zandor::app {

namespace {
constexpr double kNanosecondsPerSecond = 1e9;
constexpr int kSecondsDecimals = 1;       // tenths of a second
constexpr int kShortSecondsDecimals = 2;  // hundredths, below one second

QString SecondsText(qint64 nanoseconds)
{
    const double seconds = double(nanoseconds) / kNanosecondsPerSecond;
    return QString::number(seconds, 'f', seconds < 1 ? kShortSecondsDecimals : kSecondsDecimals)
           + QStringLiteral(" s");
}
}  // namespace

QString EraseProgramTimingText(qint64 eraseNanoseconds, qint64 downloadNanoseconds,
                               qint64 dataBytes)
{
    QString text = QStringLiteral("Erase ") + SecondsText(eraseNanoseconds)
                   + QStringLiteral(", download ") + SecondsText(downloadNanoseconds);
    if (downloadNanoseconds > 0) {
        const qint64 bytesPerSecond =
            qRound64(double(dataBytes) * kNanosecondsPerSecond / double(downloadNanoseconds));
        text += QStringLiteral(", ") + QString::number(bytesPerSecond) + QStringLiteral(" bytes/s");
    }
    return text;
}

}  // namespace zandor::app
