#include "InputFile.h"

namespace zandor::protocol {

QString InputFileFaultText(const QString& file, const QString& reason)
{
    return QStringLiteral("Cannot read %1: %2.").arg(file, reason);
}

QString LineFaultText(const QString& file, int line, const QString& fault)
{
    return QStringLiteral("Error in %1, line %2: %3.").arg(file, QString::number(line), fault);
}

}  // namespace zandor::protocol
