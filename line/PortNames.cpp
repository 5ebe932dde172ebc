#include "PortNames.h"

namespace zandor::line {

namespace {

QString LastParts(const QString& port, int parts)
{
    const QStringList pieces = port.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return pieces.mid(std::max(0, int(pieces.size()) - parts)).join(QLatin1Char('/'));
}

}  // namespace

QStringList ShortPortNames(const QStringList& ports)
{
    QStringList names;
    for (const QString& port : ports) {
        const int depth = int(port.count(QLatin1Char('/'))) + 1;
        QString name = port;
        for (int parts = 1; parts <= depth; ++parts) {
            name = LastParts(port, parts);
            bool unique = true;
            for (const QString& other : ports)
                unique = unique && (other == port || LastParts(other, parts) != name);
            if (unique)
                break;
        }
        names << (name.isEmpty() ? port : name);
    }
    return names;
}

}  // namespace zandor::line
