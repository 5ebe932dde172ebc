#pragma once

#include <QIcon>

namespace zandor::ui {

// The program's icon (32 x 32 and 16 x 16), shared by the main window and its dialogs.
QIcon ApplicationIcon();

}  // namespace zandor::ui
