#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace zandor::app {

// The application file filter as the browse button offers it: pairs of description and
// pattern separated by "|", the first pair being the initial choice.
inline const QString kApplFileFilter =
    QStringLiteral("S-Record File (*.sre)|*.sre|Binary File (*.bin)|*.bin");
inline const QString kBrowseTitle = QStringLiteral("Select a File");

// Turns a "description|pattern|description|pattern" filter into the ";;"-separated form of
// the file dialog. A description that already names its pattern in parentheses is kept as
// it is; otherwise the pattern is added in parentheses. A lone trailing description gets
// no pattern and matches every file.
QString DialogFilterFromPairs(const QString& pairs);

// Shows a modal file-open dialog and returns the chosen path, or the empty text when the
// user cancelled. The main window holds one of these so that tests can answer in its place.
using OpenFileDialog =
    std::function<QString(QWidget* parent, const QString& title, const QString& filter)>;
OpenFileDialog SystemOpenFileDialog();

}  // namespace zandor::app
