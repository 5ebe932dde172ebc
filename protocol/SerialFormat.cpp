#include "SerialFormat.h"

#include "ReplyCodes.h"

#include <QStringList>

namespace zandor::protocol {

namespace {
// The settings string's fields: "baud,parity,data bits,stop bits".
constexpr int kBaudField = 0;
constexpr int kParityField = 1;
constexpr int kDataBitsField = 2;
constexpr int kBootstrapDataBits = 8;
}  // namespace

int BaudRateOf(const profiles::ProfileData& profile)
{
    bool ok = false;
    const int baud = profile.COMSettings.section(QLatin1Char(','), kBaudField, kBaudField).trimmed().toInt(&ok);
    return ok && baud > 0 ? baud : kFallbackBaudRate;
}

QString SerialFormatProblem(const profiles::ProfileData& profile)
{
    const QStringList fields = profile.COMSettings.split(QLatin1Char(','));
    const QString parity = fields.value(kParityField).trimmed().toUpper();
    const QString dataBits = fields.value(kDataBitsField).trimmed();
    // A field the port would refuse is the port's to report; only a format it takes is judged here.
    const bool eightBits = dataBits.toInt() == kBootstrapDataBits;
    const bool noParity = parity == QLatin1String("N");
    if (eightBits && noParity)
        return QString();
    QStringList parts;
    parts << QStringLiteral("%1 data bits").arg(dataBits.isEmpty() ? QStringLiteral("?") : dataBits);
    parts << (noParity ? QStringLiteral("no parity") : QStringLiteral("parity %1").arg(parity));
    return QStringLiteral("%1, not 8 data bits without parity").arg(parts.join(QStringLiteral(", ")));
}

}  // namespace zandor::protocol
