#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace zandor::app {

// The application file filter as the browse button offers it: pairs of description and
// pattern separated by "|", the first pair being the initial choice. The name endings a
// dropped file may have derive from it.
inline const QString kApplFileFilter = QStringLiteral(
    "S-Record File (*.sre)|*.sre|Binary File (*.bin)|*.bin|Intel HEX files (*.hex;*.h86)|*.hex;*.h86");
inline const QString kBrowseTitle = QStringLiteral("Select a File");

// Shows a modal file-open dialog and returns the chosen path, or the empty text when the
// user cancelled. The main window holds one of these so that tests can answer in its place.
using OpenFileDialog =
    std::function<QString(QWidget* parent, const QString& title, const QString& filter)>;
OpenFileDialog SystemOpenFileDialog();

}  // namespace zandor::app
