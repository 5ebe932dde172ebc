#include "MainTiming.h"

#include <QtMath>

namespace zandor::app {

namespace {
constexpr double kNanosecondsPerSecond = 1e9;
constexpr int kSecondsDecimals = 1;  // tenths of a second

QString SecondsText(qint64 nanoseconds)
{
    return QString::number(double(nanoseconds) / kNanosecondsPerSecond, 'f', kSecondsDecimals)
           + QStringLiteral(" s");
}
}  // namespace

QString EraseProgramTimingText(qint64 eraseNanoseconds, qint64 downloadNanoseconds,
                               qint64 fileBytes)
{
    QString text = QStringLiteral("Erase ") + SecondsText(eraseNanoseconds)
                   + QStringLiteral(", download ") + SecondsText(downloadNanoseconds);
    if (downloadNanoseconds > 0) {
        const qint64 bytesPerSecond =
            qRound64(double(fileBytes) * kNanosecondsPerSecond / double(downloadNanoseconds));
        text += QStringLiteral(", ") + QString::number(bytesPerSecond) + QStringLiteral(" bytes/s");
    }
    return text;
}

}  // namespace zandor::app
