#pragma once

// One board on one port: open the port, find the board (probing while --wait allows),
// bring up pre-loader and loader, erase, download. Everything is read and checked before
// the session starts, so a file fault never reaches the board.

#include "CliOptions.h"
#include "ConsoleReporter.h"
#include "SerialNumbers.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "platform/TracingSerialPort.h"
#include "protocol/ProgrammingRun.h"
#include "protocol/TargetOperations.h"

#include <QDateTime>
#include <functional>
#include <memory>
#include <optional>

namespace zandor::cli {

// What one board gets: the same for every board of a run.
struct BoardJob {
    Command command = Command::Identify;  // Identify, Erase or Program
    profiles::MemoryKind memoryKind = profiles::CpuFlashMemory;
    profiles::ProfileData profile;        // this run's overrides applied
    platform::PortSettings portSettings;
    QString device;                       // what the port opens, for messages and the log
    protocol::LoaderPackage loader;
    std::optional<protocol::ApplicationImage> image;  // Program only
    QByteArray preloaderSha256;  // of the files as read, for the log
    QByteArray loaderSha256;
    std::optional<SerialPlan> serial;  // each board's number written into its image
    bool skipBlank = false;            // blank data records stay off the line
};

struct BoardResult {
    int exitCode = 0;
    QString message;
    double seconds = 0;  // from the identification on; waiting for the board not counted
    int records = 0;     // records the board acknowledged
    bool boardFound = false;  // the board was identified: something may have been sent
    // The zero byte got an answer, the right identification byte or not: an attempt on a
    // board, which the log records even under --wait or --loop.
    bool answered = false;
    QDateTime started;  // when the board answered
    std::optional<std::uint8_t> chip;  // the byte it answered with
    std::optional<std::uint64_t> serial;  // the number taken for this board (used or a gap)
    QByteArray imageDigest;  // the image as programmed (its serial number in it), when there was one
    int skippedRecords = 0;  // blank records left off the line
    // The step that failed, for the log: its phase, bank or record and address. The phase
    // is "serial" when the board was stopped for its serial number.
    QString failedPhase;
    std::optional<protocol::StepEndEvent> failedStep;
};

// Probing a port for a board, and retrying a port that cannot be opened yet: about this
// often, as the operator starts the command first and then fits and resets the board.
constexpr int kProbeIntervalMs = 250;

class BoardSession {
public:
    BoardSession(const BoardJob& job, platform::ISettingsStore& store, ConsoleReporter& reporter);
    ~BoardSession();

    // Writes every byte both ways to `path`; false with `error` when it cannot be written.
    bool traceTo(const QString& path, QString* error);
    // Why the trace is incomplete, once a line of it could not be written; else empty.
    QString traceError() const { return tracing_ ? tracing_->traceError() : QString(); }

    // Told as the session goes, for the events of a production line; each may be empty.
    struct Hooks {
        std::function<void()> boardFound;  // the board answered the zero byte
        // Set: a port that cannot be opened (the adapter is missing) is tried again without
        // limit instead of ending the run; told the reason once per absence.
        std::function<void(const QString& reason)> waitingForPort;
    };
    Hooks hooks;

    // Whether the modem lines must work (a sequence, a presence line): checked at each open.
    bool needsModemLines = false;

    // The open port and the clock, for waiting between boards.
    platform::ISerialPort& port() { return *port_; }
    platform::IEventPump& pump() { return pump_; }

    // Waits for a board up to `waitMs` (nothing: one attempt; 0: without limit), then runs
    // the job on it. The port stays open afterwards for the next board of a loop.
    BoardResult run(std::optional<qint64> waitMs);

private:
    // Opens the port if it is not open: exit code 0, or kExitPortFailed with `message`.
    int openPort(QString* message);
    // Probes until a board answers or the time is up: exit code 0 when identified. A wrong
    // identification byte ends the wait too (exit 4). `answered`: some board answered.
    int findBoard(std::optional<qint64> waitMs, QString* message, bool* answered);
    int fail(const protocol::StepEndEvent& end, QString* message);
    // The job's beforeErase: this board's serial number taken and written into its image.
    protocol::ProgrammingJob::ImageChoice takeSerial(BoardResult& result);
    void sleepUntil(qint64 whenMs);
    bool pastDeadline(std::optional<qint64> deadlineMs);

    const BoardJob& job_;
    ConsoleReporter& reporter_;
    platform::QtEventPump pump_;
    platform::QtSerialPort serial_;
    std::unique_ptr<platform::TracingSerialPort> tracing_;
    platform::ISerialPort* port_;
    // A board answered with a wrong identification byte: the next one counts once a probe
    // went unanswered (the operator took it out), so one board is not counted at every probe.
    bool awaitQuiet_ = false;
    std::optional<protocol::StepEndEvent> failedStep_;  // set by fail() and a deciding probe
    std::optional<protocol::ApplicationImage> serialImage_;  // this board's, with its number
};

}  // namespace zandor::cli
