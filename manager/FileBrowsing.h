#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace zandor::manager {

// Shows a modal file-open dialog and returns the chosen file's full path, or an empty text
// when the user cancelled. `lastPath` is the file chosen the previous time (the dialog
// starts there), empty at first.
using OpenFileDialog = std::function<QString(QWidget* parent, const QString& title,
                                             const QString& qtFilter, const QString& lastPath)>;

// The platform's file-open dialog.
QString ShowOpenFileDialog(QWidget* parent, const QString& title, const QString& qtFilter,
                           const QString& lastPath);

}  // namespace zandor::manager
