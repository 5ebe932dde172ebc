#pragma once

// The command line of zandor-line, for a kiosk: options that fill the set-up and one that
// starts at once. The parser and the help text both come from one table of options.

#include "LineSetup.h"

#include <QString>
#include <QStringList>

namespace zandor::line {

struct LineLaunch {
    bool start = false;    // --start: begin the run as soon as the window is up
    bool help = false;     // --help
    bool version = false;  // --version
    QString error;         // not empty: a usage error, nothing else is valid
};

// Applies the options in `arguments` (after the program's name) over `setup`, the set-up
// remembered from the last start.
LineLaunch ParseLineArguments(const QStringList& arguments, LineSetup& setup);

// The whole --help text.
QString LineUsageText();

}  // namespace zandor::line
