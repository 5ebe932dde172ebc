#include "MainBrowse.h"

#include <QFileDialog>
#include <QStringList>

namespace zandor::app {

QString DialogFilterFromPairs(const QString& pairs)
{
    const QStringList parts = pairs.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i < parts.size(); i += 2) {
        const QString description = parts.at(i).trimmed();
        // Several patterns of one entry are separated by ";" here and by blanks in the dialog.
        const QString pattern = i + 1 < parts.size()
                                    ? parts.at(i + 1).trimmed().replace(QLatin1Char(';'), QLatin1Char(' '))
                                    : QString();
        if (description.isEmpty() && pattern.isEmpty())
            continue;
        if (pattern.isEmpty() || description.contains(QLatin1Char('(') + pattern + QLatin1Char(')')))
            entries.append(description.isEmpty() ? pattern : description);
        else
            entries.append(description + QStringLiteral(" (") + pattern + QLatin1Char(')'));
    }
    return entries.join(QStringLiteral(";;"));
}

OpenFileDialog SystemOpenFileDialog()
{
    return [](QWidget* parent, const QString& title, const QString& filter) {
        // No initial directory and no initial file: the dialog starts where it likes.
        return QFileDialog::getOpenFileName(parent, title, QString(), filter);
    };
}

}  // namespace zandor::app
