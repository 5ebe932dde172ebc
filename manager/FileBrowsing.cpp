#include "FileBrowsing.h"

#include <QDir>
#include <QFileDialog>
#include <QStringList>

namespace zandor::manager {

QString ToQtFileFilter(const QString& barSeparatedFilter)
{
    const QStringList parts = barSeparatedFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts.at(i).trimmed();
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        patterns = patterns.simplified();
        if (patterns.isEmpty())
            continue;
        const QString bracketed = QLatin1Char('(') + patterns + QLatin1Char(')');
        if (description.endsWith(bracketed))
            filters << description;
        else if (description.isEmpty())
            filters << bracketed;
        else
            filters << description + QLatin1Char(' ') + bracketed;
    }
    return filters.join(QStringLiteral(";;"));
}

QString ShowOpenFileDialog(QWidget* parent, const QString& title, const QString& qtFilter,
                           const QString& lastPath)
{
    const QString chosen = QFileDialog::getOpenFileName(parent, title, lastPath, qtFilter);
    return chosen.isEmpty() ? QString() : QDir::toNativeSeparators(chosen);
}

}  // namespace zandor::manager
