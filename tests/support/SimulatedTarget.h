#pragma once

#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace zandor::testing {

constexpr quint8 kErasedFlashByte = 0xFF;  // what the board's erased flash reads

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

    // The bytes the board holds other than FFh, address to byte; call after stop(). An erased
    // bank reads FFh, and programming FFh over it changes nothing, so both are left out:
    // the board holds a file exactly when this equals the file's bytes other than FFh.
    QMap<quint32, quint8> memory() const;
    // The memory dump as the simulator wrote it, erased bytes included; call after stop().
    QByteArray dump() const;
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
