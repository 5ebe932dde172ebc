#include "ExecutableName.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace zandor::platform {

QString ExecutableBaseName()
{
    QString name;
    if (QCoreApplication::instance())
        name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return name.isEmpty() ? QStringLiteral("Zandor") : name;
}

}  // namespace zandor::platform
