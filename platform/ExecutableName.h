#pragma once

#include <QString>

namespace zandor::platform {

// The base name of the running executable without directory and extension ("Zandor"
// for the program as delivered). All settings live under this name, so a copy of the
// program under another name keeps its own profiles. Falls back to "Zandor" when the
// name cannot be found (no application object yet).
QString ExecutableBaseName();

}  // namespace zandor::platform
