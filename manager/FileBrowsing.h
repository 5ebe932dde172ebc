#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace zandor::manager {

// Converts a filter written as description and pattern pairs separated by "|"
// ("S-Record File (*.sre)|*.sre|Binary File (*.bin)|*.bin") into the form the Qt file
// dialog takes ("S-Record File (*.sre);;Binary File (*.bin)"). Patterns separated by ";"
// become one space-separated list; a description that does not already end with its
// patterns in parentheses gets them appended. A trailing description without pattern is
// dropped.
QString ToQtFileFilter(const QString& barSeparatedFilter);

// Shows a modal file-open dialog and returns the chosen file's full path, or an empty text
// when the user cancelled. `lastPath` is the file chosen the previous time (the dialog
// starts there), empty at first.
using OpenFileDialog = std::function<QString(QWidget* parent, const QString& title,
                                             const QString& qtFilter, const QString& lastPath)>;

// The platform's file-open dialog.
QString ShowOpenFileDialog(QWidget* parent, const QString& title, const QString& qtFilter,
                           const QString& lastPath);

}  // namespace zandor::manager
