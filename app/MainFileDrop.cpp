#include "MainFileDrop.h"

#include <QList>
#include <QMimeData>
#include <QUrl>

namespace zandor::app {

namespace {
// The name endings of the application files the loaders take (see kApplFileFilter).
const QString kDroppableEndings[] = {QStringLiteral(".sre"), QStringLiteral(".bin")};
}  // namespace

QString ApplFileFromDrop(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return {};
    const QString path = urls.first().toLocalFile();
    for (const QString& ending : kDroppableEndings) {
        if (path.endsWith(ending, Qt::CaseInsensitive))
            return path;
    }
    return {};
}

}  // namespace zandor::app
