#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace zandor::platform {

enum class CheckStatus { Pass, Warn, Fail };

// One finding about a serial device: what was checked, what was found, what to do.
struct PortCheck {
    QString name;    // "device", "access", "in use", "low latency" or "ModemManager"
    CheckStatus status = CheckStatus::Pass;
    QString detail;  // what was found, in a sentence without the device's name
    QString fix;     // what the user can do; empty on a pass
};

// "pass", "warn" or "fail".
QString CheckStatusName(CheckStatus status);

// Everything about `device` that stops or slows programming through it, in this order:
// the device exists and is a terminal; this user may read and write it; no other program
// holds it; its driver has a low-latency mode; ModemManager (which probes newly plugged
// adapters) is not running. A missing device gives only the first check and the last.
// Opens the device briefly, as the program would.
QList<PortCheck> CheckPort(const QString& device);

// Processes other than this one that have `device` open, as "name (pid N)"; `procFolder`
// is the process folder to look in. Only the processes this user may inspect are seen. For
// a pseudo-terminal's slave, a process that also holds its master is the line's other end
// (a simulated board, a terminal emulator) and is not listed.
QStringList ProcessesHolding(const QString& device,
                             const QString& procFolder = QStringLiteral("/proc"));

// True when a process of that name (as in /proc/<pid>/comm) runs; `procFolder` is the
// process folder to look in.
bool IsProcessRunning(const QString& name, const QString& procFolder = QStringLiteral("/proc"));

}  // namespace zandor::platform
