#pragma once

// What the operator sets up before a run: the profile, the application file, the ports
// and the options of the production line. It becomes the arguments of one gang run of
// zandor-cli and is remembered between starts in a file of its own, next to the window's
// store (never inside the profiles).

#include <QString>
#include <QStringList>

class QSettings;

namespace zandor::line {

struct LineSetup {
    QString profile;  // empty: the one the window used last
    QString file;
    QString memory = QStringLiteral("cpu");  // cpu, external or data
    QStringList ports;
    bool loop = false;
    bool skipBlank = false;
    QString resetSequence;
    QString runSequence;
    QString nextBoard;      // how a loop with a reset sequence knows a new board: adapter, dsr, dcd, cts
    QString serialFile;     // counter file
    QString serialAt;       // address the serial number is written to
    QString serialStart;    // the counter's first value
    QString serialCommand;  // allocator command, instead of a counter file
    QString operatorName;
    QString logFile;

    bool operator==(const LineSetup& other) const;
    bool operator!=(const LineSetup& other) const { return !(*this == other); }
};

// The arguments of `zandor-cli program ... --json` for this set-up. Options only newer
// versions of zandor-cli know are given only when the operator filled them in.
QStringList GangArguments(const LineSetup& setup);

// What keeps the set-up from starting, one sentence each with the fix ("choose the
// application file ..."); empty when it may start. Relative names are taken from the
// current folder, as zandor-cli takes them.
QStringList SetupProblems(const LineSetup& setup);

// The file that remembers the set-up: zandor-line.ini next to the window's store.
QString SetupFilePath();
LineSetup LoadSetup(QSettings& settings);
void SaveSetup(QSettings& settings, const LineSetup& setup);

// zandor-cli to run: $ZANDOR_CLI, else the one next to this program, else from the PATH.
QString CliProgram();

}  // namespace zandor::line
