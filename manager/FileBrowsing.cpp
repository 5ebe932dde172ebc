#include "FileBrowsing.h"

#include <QDir>
#include <QFileDialog>

namespace zandor::manager {

QString ShowOpenFileDialog(QWidget* parent, const QString& title, const QString& qtFilter,
                           const QString& lastPath)
{
    const QString chosen = QFileDialog::getOpenFileName(parent, title, lastPath, qtFilter);
    return chosen.isEmpty() ? QString() : QDir::toNativeSeparators(chosen);
}

}  // namespace zandor::manager
