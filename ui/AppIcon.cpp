#include "AppIcon.h"

static void InitIconResource()
{
    // The resource lives in a static library; make sure the linker keeps it.
    Q_INIT_RESOURCE(zandor);
}

namespace zandor::ui {

QIcon ApplicationIcon()
{
    InitIconResource();
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/zandor32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/zandor16.png"), QSize(16, 16));
    return icon;
}

}  // namespace zandor::ui
