#include "MainBrowse.h"

#include <QFileDialog>

namespace zandor::app {

OpenFileDialog SystemOpenFileDialog()
{
    return [](QWidget* parent, const QString& title, const QString& filter) {
        // No initial directory and no initial file: the dialog starts where it likes.
        return QFileDialog::getOpenFileName(parent, title, QString(), filter);
    };
}

}  // namespace zandor::app
