#include "BoardSession.h"

#include "ExitCodes.h"
#include "Interrupt.h"
#include "LineSequences.h"
#include "platform/SerialPortList.h"
#include "platform/TimeUnits.h"
#include "protocol/FailureText.h"
#include "protocol/ImageDigest.h"
#include "protocol/ProgrammingRun.h"

#include <QElapsedTimer>

namespace zandor::cli {

namespace {

using platform::kMillisecondsPerSecond;

// Takes the events of the probes that found nobody: only the probe that decides is shown.
class ProbeRecorder : public protocol::IProtocolObserver {
public:
    void onStep(const protocol::StepEvent&) override {}
    void onProgress(const protocol::ProgressEvent&) override {}
    void onReply(const protocol::ReplyEvent& event) override { lastReply = event; }
    void onFault(const protocol::FaultEvent&) override {}
    void onStepEnd(const protocol::StepEndEvent& event) override { lastEnd = event; }

    protocol::ReplyEvent lastReply;
    protocol::StepEndEvent lastEnd;
};

protocol::StepEvent IdentifyStep()
{
    protocol::StepEvent step;
    step.phase = protocol::Phase::Identify;
    return step;
}

}  // namespace

BoardSession::BoardSession(const BoardJob& job, platform::ISettingsStore& store, ConsoleReporter& reporter)
    : job_(job), reporter_(reporter),
      serial_([&store](int portNumber) { return platform::DeviceNameForPort(store, portNumber); }),
      port_(&serial_)
{
}

BoardSession::~BoardSession() { port_->close(); }

bool BoardSession::traceTo(const QString& path, QString* error)
{
    tracing_ = platform::TracingSerialPort::ToFile(serial_, path, error);
    port_ = tracing_ ? static_cast<platform::ISerialPort*>(tracing_.get()) : &serial_;
    return tracing_ != nullptr;
}

bool BoardSession::pastDeadline(std::optional<qint64> deadlineMs)
{
    return !deadlineMs || (*deadlineMs > 0 && pump_.nowMilliseconds() >= *deadlineMs);
}

void BoardSession::sleepUntil(qint64 whenMs)
{
    while (!NoFurtherBoard()) {
        const qint64 left = whenMs - pump_.nowMilliseconds();
        if (left <= 0)
            return;
        pump_.waitForEvents(int(std::min<qint64>(left, kProbeIntervalMs)));
    }
}

int BoardSession::openPort(QString* message)
{
    if (port_->isOpen() && !port_->hasFailed())
        return kExitSuccess;
    port_->close();
    return port_->open(job_.portSettings, message) ? kExitSuccess : kExitPortFailed;
}

int BoardSession::findBoard(std::optional<qint64> waitMs, QString* message, bool* answered)
{
    std::optional<qint64> deadlineMs;
    if (waitMs)
        deadlineMs = *waitMs == 0 ? 0 : pump_.nowMilliseconds() + *waitMs;
    ProbeRecorder probes;
    bool portMissing = false;
    protocol::Target target(*port_, probes, pump_, job_.profile);
    // The probe that decides, as if it had been the only one.
    auto reportProbe = [&] {
        reporter_.onStep(IdentifyStep());
        if (probes.lastEnd.outcome == protocol::Outcome::WrongTarget)
            reporter_.onReply(probes.lastReply);
        reporter_.onStepEnd(probes.lastEnd);
        protocol::FailureContext context;
        context.probedSeconds = waitMs ? *waitMs / kMillisecondsPerSecond : 0;
        *message = protocol::FailureText(probes.lastEnd, job_.profile, context);
        failedStep_ = probes.lastEnd;
        return ExitCodeFor(probes.lastEnd.phase, probes.lastEnd.outcome);
    };
    for (;;) {
        const qint64 probeStart = pump_.nowMilliseconds();
        QString reason;
        const int opened = openPort(&reason);
        if (opened == kExitSuccess && needsModemLines) {
            if (const QString fault = ModemLinesFault(*port_, job_.device); !fault.isEmpty()) {
                *message = fault;
                return kExitPortFailed;
            }
        }
        if (opened != kExitSuccess && hooks.waitingForPort && !portMissing) {
            hooks.waitingForPort(reason);
            deadlineMs = 0;  // the adapter is waited for however long it takes
        }
        portMissing = opened != kExitSuccess;
        if (opened == kExitSuccess) {
            const protocol::Outcome outcome = protocol::IdentifyBootstrap(target);
            const bool counts = !awaitQuiet_;
            if (outcome == protocol::Outcome::Done && counts) {
                *answered = true;
                if (hooks.boardFound)
                    hooks.boardFound();
                reporter_.onStep(IdentifyStep());
                reporter_.onStepEnd(probes.lastEnd);
                return kExitSuccess;
            }
            // A board that answered the first probe takes later zero bytes as its pre-loader:
            // waiting on would only hide the wrong chip.
            if (outcome == protocol::Outcome::WrongTarget && counts) {
                *answered = true;
                awaitQuiet_ = true;
                return reportProbe();
            }
            if (outcome == protocol::Outcome::NoTarget)
                awaitQuiet_ = false;
            if (outcome == protocol::Outcome::LineFailed)
                port_->close();  // gone; opened again when it is back
        } else {
            awaitQuiet_ = false;  // no line, no board: the next that answers is new
        }
        if (NoFurtherBoard()) {
            *message = InterruptRequested()
                           ? QStringLiteral("interrupted while waiting for a board: nothing was sent")
                           : QStringLiteral("stopped while waiting for a board (the session was hung up): nothing "
                                            "was sent");
            return kExitInterrupted;
        }
        if (pastDeadline(deadlineMs)) {
            if (opened != kExitSuccess) {
                *message = reason;
                return kExitPortFailed;
            }
            return reportProbe();
        }
        sleepUntil(probeStart + kProbeIntervalMs);
    }
}

int BoardSession::fail(const protocol::StepEndEvent& end, QString* message)
{
    *message = protocol::FailureText(end, job_.profile);
    failedStep_ = end;
    return ExitCodeFor(end.phase, end.outcome);
}

protocol::ProgrammingJob::ImageChoice BoardSession::takeSerial(BoardResult& result)
{
    SerialTake taken = TakeBoardSerial(*job_.serial, *job_.image);
    result.serial = taken.number;
    if (taken.number)
        reporter_.event({{"event", "serial"}, {"serial", qint64(*taken.number)}});
    if (!taken.image)
        return {nullptr, taken.fault};
    serialImage_ = std::move(taken.image);
    result.imageDigest = protocol::ImageDigest(*serialImage_);
    return {&*serialImage_, QString()};
}

BoardResult BoardSession::run(std::optional<qint64> waitMs)
{
    QElapsedTimer clock;
    clock.start();
    BoardResult result;
    failedStep_.reset();
    serialImage_.reset();
    auto finish = [&](int exitCode) {
        result.exitCode = exitCode;
        result.seconds = clock.elapsed() / kMillisecondsPerSecond;
        if (exitCode != kExitSuccess && failedStep_) {
            result.failedStep = failedStep_;
            result.failedPhase = protocol::PhaseName(failedStep_->phase);
        }
        // A number taken for a board that got nothing is never given again: say so.
        if (exitCode != kExitSuccess && result.serial)
            result.message += QStringLiteral(" (serial number %1 stays unused)").arg(*result.serial);
        return result;
    };
    const int found = findBoard(waitMs, &result.message, &result.answered);
    if (result.answered) {
        result.started = QDateTime::currentDateTime();
        result.chip = reporter_.answeredChip();
    }
    if (found != kExitSuccess)
        return finish(found);
    clock.start();  // a board's time is its own, not the time it was waited for
    result.boardFound = true;

    protocol::Target target(*port_, reporter_, pump_, job_.profile);
    target.stopRequested = [] { return InterruptRequested(); };
    protocol::ProgrammingJob steps;
    steps.memoryKind = job_.memoryKind;
    steps.identify = false;  // findBoard heard the identification byte
    steps.erase = job_.command == Command::Erase || job_.command == Command::Program;
    if (job_.command == Command::Program && job_.image) {
        steps.image = &*job_.image;
        result.imageDigest = protocol::ImageDigest(*job_.image);
        if (job_.serial)
            steps.beforeErase = [this, &result] { return takeSerial(result); };
    }
    steps.blank = job_.skipBlank ? protocol::BlankRecords::Skip : protocol::BlankRecords::Send;
    const protocol::RunResult ran = protocol::RunProgramming(target, job_.loader, steps);
    switch (ran.end) {
    case protocol::RunEnd::Completed:
        break;
    case protocol::RunEnd::StoppedAfterLoader:
        result.message = QStringLiteral("interrupted after the loader: nothing was erased");
        return finish(kExitInterrupted);
    case protocol::RunEnd::RefusedBeforeErase:
        result.message = ran.refusal + QStringLiteral(": nothing was erased");
        result.failedPhase = QStringLiteral("serial");
        return finish(kExitBadInput);
    case protocol::RunEnd::StoppedAfterErase:
        result.message = QStringLiteral("interrupted after the erase: nothing was programmed");
        return finish(kExitInterrupted);
    case protocol::RunEnd::StepFailed:
        if (ran.phase == protocol::Phase::Download)
            result.records = reporter_.lastFailure().acknowledgedRecords;
        return finish(fail(reporter_.lastFailure(), &result.message));
    }
    if (!steps.image)
        return finish(kExitSuccess);
    result.records = int(job_.image->records.size());
    result.skippedRecords = reporter_.downloadSkippedRecords();
    const RunSequenceResult started = RunRunSequence(job_.profile, *port_, pump_);
    result.message = started.message;
    return finish(started.exitCode);
}

}  // namespace zandor::cli
