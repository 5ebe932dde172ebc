#pragma once

#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace zandor::testing {

// Runs the simulated board (zandor-sim) on a pseudo-terminal in a temporary folder: its
// device link, event log and memory dump live there and vanish with the object.
class SimulatedTarget {
public:
    // Extra simulator options, e.g. {"--id", "D5"} or {"--refuse", "!@erase:2"}.
    explicit SimulatedTarget(QStringList extraArgs = {});
    ~SimulatedTarget();
    SimulatedTarget(const SimulatedTarget&) = delete;
    SimulatedTarget& operator=(const SimulatedTarget&) = delete;

    // Starts the simulator and waits (bounded) until its device is ready.
    // False with errorText() when it could not be started.
    bool start();
    // Ends the simulator (SIGTERM) and waits for it, so the memory dump is written.
    void stop();

    QString devicePath() const;  // the link to the pseudo-terminal's device
    QString errorText() const { return error_; }

    // The memory the board was programmed with, address to byte; call after stop().
    QMap<quint32, quint8> memory() const;
    // The board's event lines so far ("id-sent C5", "erase 2", "record 3 3 00010080 64", ...).
    QStringList log() const;

private:
    QStringList extraArgs_;
    QTemporaryDir dir_;
    QProcess process_;
    QString error_;
};

// The simulator executable: $ZANDOR_SIM, else the one in this build tree.
QString SimulatorPath();
// The sample files: $ZANDOR_SAMPLES, else the source tree's samples folder.
QString SamplesDir();

}  // namespace zandor::testing
