#pragma once

// What every front end shows of the product: its title and version.

#include <QString>

namespace zandor::platform {

// The caption of every message box that is not tied to the main window's caption, and
// the name the program is shown under.
inline const QString kApplicationTitle = QStringLiteral("Varnex Controller Programming Tool");

// The settings store's application name as delivered (the window uses its executable's
// base name, which is this unless the program was copied under another name).
inline const QString kProductStoreName = QStringLiteral("Zandor");

constexpr int kVersionMajor = ZANDOR_VERSION_MAJOR;
constexpr int kVersionMinor = ZANDOR_VERSION_MINOR;
constexpr int kVersionRevision = ZANDOR_VERSION_REVISION;

// "1.3.3"
inline QString VersionString()
{
    return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

}  // namespace zandor::platform
