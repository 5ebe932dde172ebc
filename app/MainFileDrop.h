#pragma once

#include <QString>

class QMimeData;

namespace zandor::app {

// The application file a drag from a file manager carries: its full path when the drag
// holds exactly one local file of a kind the browse button offers (*.sre, *.bin, *.hex,
// *.h86, either letter case). Anything else (several files, another name, a remote URL,
// plain text) gives the empty text, and the window refuses the drop.
QString ApplFileFromDrop(const QMimeData* data);

}  // namespace zandor::app
