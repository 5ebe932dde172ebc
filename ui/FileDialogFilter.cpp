#include "FileDialogFilter.h"

#include <QStringList>

namespace zandor::ui {

QString FileDialogFilter(const QString& pairs)
{
    const QStringList parts = pairs.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i).trimmed();
        const QString patterns = QString(parts.at(i + 1)).replace(QLatin1Char(';'), QLatin1Char(' ')).simplified();
        if (patterns.isEmpty())
            continue;
        const QString bracketed = QLatin1Char('(') + patterns + QLatin1Char(')');
        // "(*.hex;*.h86)" as the pair writes it: the dialog reads only blanks between patterns.
        description.replace(QLatin1Char('(') + parts.at(i + 1).trimmed() + QLatin1Char(')'), bracketed);
        if (description.contains(bracketed))
            entries << description;
        else if (description.isEmpty())
            entries << bracketed;
        else
            entries << description + QLatin1Char(' ') + bracketed;
    }
    return entries.join(QStringLiteral(";;"));
}

}  // namespace zandor::ui
