#include "MainPanelTip.h"

#include <QStringList>

namespace zandor::app {

QString PanelTip::text(const QString& panelText) const
{
    QStringList lines{panelText};
    for (const QString& line : {chip_, failure_, times_}) {
        if (!line.isEmpty() && line != panelText)
            lines.append(line);
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace zandor::app
