#include "MainFileDrop.h"

#include "MainBrowse.h"

#include <QList>
#include <QStringList>
#include <QMimeData>
#include <QUrl>

namespace zandor::app {

namespace {
// ".sre", ".bin", ...: the patterns of the browse filter, every second part of it.
QStringList DroppableEndings()
{
    QStringList endings;
    const QStringList parts = kApplFileFilter.split(QLatin1Char('|'));
    for (int i = 1; i < parts.size(); i += 2) {
        for (const QString& pattern : parts.at(i).split(QLatin1Char(';')))
            endings << pattern.trimmed().mid(1);  // "*.sre" ends in ".sre"
    }
    return endings;
}
}  // namespace

QString ApplFileFromDrop(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return {};
    const QString path = urls.first().toLocalFile();
    static const QStringList endings = DroppableEndings();
    for (const QString& ending : endings) {
        if (path.endsWith(ending, Qt::CaseInsensitive))
            return path;
    }
    return {};
}

}  // namespace zandor::app
