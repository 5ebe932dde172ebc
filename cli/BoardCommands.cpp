#include "BoardCommands.h"

#include "BoardSession.h"
#include "ExitCodes.h"
#include "GangRun.h"
#include "Interrupt.h"
#include "LineSequences.h"
#include "RunLog.h"
#include "RunSetup.h"
#include "platform/PortChecks.h"
#include "platform/SerialCounterFile.h"
#include "platform/TimeUnits.h"
#include "profiles/MemoryFiles.h"
#include "protocol/ChipIdentification.h"
#include "protocol/FailureText.h"
#include "protocol/ImageDigest.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>

namespace zandor::cli {

namespace {

using platform::kMillisecondsPerSecond;

// " (relative names are looked up ...)" after a message about a missing file, or nothing.
QString WithAdvice(const QString& message, const QString& file)
{
    const QString advice = protocol::RelativeNameAdvice(file);
    return advice.isEmpty() ? message : message + QStringLiteral(" (") + advice + QLatin1Char(')');
}

std::optional<qint64> WaitMilliseconds(const std::optional<double>& seconds)
{
    if (!seconds)
        return std::nullopt;
    return qint64(*seconds * kMillisecondsPerSecond);
}

QByteArray Sha256(const QByteArray& bytes) { return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256); }

// The serial numbers' place in the image and their first number, checked before a board
// is touched: a wrong address would overwrite code. Exit code 0, or kExitBadInput.
int PrepareSerialNumbers(const CliOptions& options, BoardJob& job, QString* message)
{
    if (!options.serialAt)
        return kExitSuccess;
    SerialPlan plan;
    plan.address = *options.serialAt;
    plan.format = options.serialFormat;
    plan.placeholder = *protocol::ParseSerialPlaceholder(options.serialPlaceholder, plan.format.widthBytes);
    plan.counterFile = options.serialFile;
    plan.start = options.serialStart.value_or(0);
    plan.step = options.serialStep;
    plan.command = options.serialCommand;
    const QString where = QStringLiteral("--serial-at %1 (%2 bytes)")
                              .arg(QString::number(plan.address, 16).toUpper())
                              .arg(plan.format.widthBytes);
    if (const QString fault = protocol::SerialNumberPlaceFault(*job.image, plan.address, plan.placeholder);
        !fault.isEmpty()) {
        *message = QStringLiteral("%1: %2; nothing was sent").arg(where, fault);
        return kExitBadInput;
    }
    if (plan.command.isEmpty()) {
        QString fault;
        const std::optional<std::uint64_t> next = platform::PeekSerialNumber(plan.counterFile, plan.start, &fault);
        if (next)
            protocol::EncodeSerialNumber(*next, plan.format, &fault);
        if (!fault.isEmpty()) {
            *message = QStringLiteral("serial numbers: %1; nothing was sent").arg(fault);
            return kExitBadInput;
        }
    }
    job.serial = plan;
    return kExitSuccess;
}

// Reads and checks every file the job sends: nothing goes to a board before all of them
// are known to be sendable. Exit code 0, or kExitBadInput / kExitUsage with `message`.
int PrepareJob(const CliOptions& options, platform::ISettingsStore& store, BoardJob& job, QString* message)
{
    const auto profile = ProfileForRun(store, options, message);
    if (!profile)
        return kExitUsage;
    job.command = options.command;
    job.memoryKind = options.memoryKind;
    job.profile = *profile;
    job.portSettings = PortSettingsFor(job.profile, options.ports.value(0));
    job.device = DeviceOf(store, job.portSettings);
    if (const QString fault = SequenceUsageFault(job.profile, options); !fault.isEmpty()) {
        *message = fault;
        return kExitUsage;
    }

    // A production line must be able to trace every board: a log that cannot be written
    // stops the run before a board is touched.
    if (!options.logFile.isEmpty() && !CanAppendTo(options.logFile, message))
        return kExitUsage;

    const JobFiles files = ReadJobFiles(job.profile, options.memoryKind, job.command == Command::Program);
    if (!files.loader) {
        const protocol::LoaderPrepareFault& fault = files.loaderFault;
        *message = WithAdvice(protocol::PhaseName(fault.phase) + QStringLiteral(": ") + fault.fault.text, fault.fault.file);
        return kExitBadInput;
    }
    job.loader = *files.loader;
    job.preloaderSha256 = Sha256(job.loader.preLoader);
    if (QFile loaderFile(job.loader.loaderFile); loaderFile.open(QIODevice::ReadOnly))
        job.loaderSha256 = Sha256(loaderFile.readAll());
    if (job.command != Command::Program)
        return kExitSuccess;

    const protocol::ApplicationLoad& load = *files.application;
    if (!load.image) {
        *message = WithAdvice(QStringLiteral("application: ") + load.fault.text, files.verdicts.last().file);
        return kExitBadInput;
    }
    // A board process of a gang run: the image built here must be the one its parent
    // checked, address for address (the file may have changed, or an option been read
    // otherwise).
    if (!options.expectImage.isEmpty() && protocol::ImageDigestText(*load.image) != options.expectImage) {
        *message = QStringLiteral("%1 changed after it was checked: run the command again").arg(load.image->file);
        return kExitBadInput;
    }
    job.image = load.image;
    job.skipBlank = options.skipBlank;
    return PrepareSerialNumbers(options, job, message);
}

// --operator, else the variable the station's session sets.
QString OperatorOf(const CliOptions& options)
{
    return options.operatorName.isEmpty() ? qEnvironmentVariable("ZANDOR_OPERATOR") : options.operatorName;
}

BoardRecord RecordOf(const CliOptions& options, const BoardJob& job, int board, const BoardResult& result)
{
    BoardRecord record;
    record.started = result.started;
    record.operatorName = OperatorOf(options);
    record.chip = result.chip;
    record.preloaderSha256 = job.preloaderSha256;
    record.loaderSha256 = job.loaderSha256;
    record.imageSha256 = result.imageDigest;
    record.serial = result.serial;
    if (result.exitCode == kExitSuccess && job.image)
        record.skippedRecords = result.skippedRecords;
    if (result.exitCode != kExitSuccess) {
        record.message = result.message;
        record.phase = result.failedPhase;
        if (const auto& step = result.failedStep) {
            if (step->bank >= 0)
                record.bank = step->bank;
            else if (step->phase == protocol::Phase::Download && step->record > 0)
                record.record = step->record;
            if (step->hasAddress)
                record.address = step->address;
        }
    }
    record.port = job.device;
    record.board = board;
    record.exitCode = result.exitCode;
    record.seconds = result.seconds;
    record.memoryKind = job.memoryKind;
    record.profile = job.profile.Name;
    if (job.image) {
        record.file = job.image->file;
        record.size = job.image->fileBytes;
        record.sha256 = job.image->sha256;
    }
    return record;
}

// A board that never answered: when another program holds the port open, say so (as the
// doctor would) rather than suggest a reset.
QString NoAnswerText(const CliOptions& options, const BoardJob& job, const BoardResult& result,
                     const ConsoleReporter& reporter)
{
    const protocol::StepEndEvent& end = reporter.lastFailure();
    if (result.boardFound || end.outcome != protocol::Outcome::NoTarget)
        return result.message;
    const QStringList holders = platform::ProcessesHolding(job.device);
    if (holders.isEmpty())
        return result.message;
    return protocol::FailureText(end, job.profile,
                                 {protocol::Framing::CommandLine, options.waitSeconds.value_or(0), holders});
}

// "unrecorded (done in 2.0 s): cannot write the log ...": a board whose record is lost.
QString UnrecordedText(const QString& outcome, const QString& why)
{
    return QStringLiteral("unrecorded (%1): %2").arg(outcome, why);
}

// One board, or board after board until Ctrl-C.
int RunOnOnePort(const CliOptions& options, platform::ISettingsStore& store, const BoardJob& job,
                 ConsoleReporter& reporter)
{
    BoardSession session(job, store, reporter);
    int board = 1;  // the board waited for
    session.needsModemLines = NeedsModemLines(job.profile, options);
    session.hooks.boardFound = [&] { reporter.event({{"event", "board_detected"}, {"board", board}}); };
    auto waitingForBoard = [&] {
        reporter.event({{"event", "waiting"}, {"for", "board"}, {"board", board}});
        if (!reporter.jsonOutput())
            reporter.info(QStringLiteral("Waiting for board %1 on %2 ...").arg(board).arg(job.device));
    };
    if (options.loop) {
        session.hooks.waitingForPort = [&](const QString& reason) {
            reporter.event({{"event", "waiting"}, {"for", "adapter"}, {"message", reason}});
            if (!reporter.jsonOutput())
                reporter.info(QStringLiteral("Waiting for the adapter of %1 (%2) ...").arg(job.device, reason));
        };
    }
    QString error;
    if (!options.trace.isEmpty() && !session.traceTo(options.trace, &error)) {
        reporter.result(kExitUsage, error, 0);
        return kExitUsage;
    }
    // Writes the board's line to the log (when asked for), and says why the board is not
    // recorded (its line or its trace lost), or nothing.
    auto record = [&](int board, const BoardResult& result) {
        QString why;
        if (!options.logFile.isEmpty() && !AppendBoardRecord(options.logFile, RecordOf(options, job, board, result), &why))
            return why;
        return session.traceError();
    };

    if (!options.loop) {
        if (options.waitSeconds)
            waitingForBoard();
        const BoardResult result = session.run(WaitMilliseconds(options.waitSeconds));
        // Without --wait the one try is an attempt (a missing port, a silent board); while
        // waiting, only a board that answered is.
        const bool attempt = !options.waitSeconds || result.answered;
        const QString unrecorded = attempt ? record(1, result) : QString();
        QString done = result.exitCode == kExitSuccess
                           ? QStringLiteral("done in %1 s").arg(result.seconds, 0, 'f', 1)
                           : NoAnswerText(options, job, result, reporter);
        if (result.exitCode == kExitSuccess && job.command == Command::Identify)
            done = QStringLiteral("%1 identified, its loader running: %2").arg(protocol::ChipText(job.profile), done);
        // The chip that answered, as its byte says: the board may be another derivative.
        QJsonObject extra{{"port", job.device}, {"records", result.records}};
        if (result.serial)
            extra.insert(QStringLiteral("serial"), qint64(*result.serial));
        if (job.skipBlank && result.exitCode == kExitSuccess)
            extra.insert(QStringLiteral("skipped_records"), result.skippedRecords);
        if (const auto chip = reporter.answeredChip(); chip && result.exitCode == kExitSuccess
                                                       && (job.command == Command::Identify || job.command == Command::Program)) {
            done += QStringLiteral("; the board answered ") + protocol::AnsweredChipText(*chip);
            extra.insert(QStringLiteral("chip"), protocol::ChipByteText(*chip));
            extra.insert(QStringLiteral("chip_name"), protocol::IdentificationMeaning(*chip));
        }
        // The data flash is written without a separate erase: say so rather than "done".
        if (result.exitCode == kExitSuccess && job.command == Command::Erase && !reporter.stepStarted(protocol::Phase::Erase))
            done = QStringLiteral("the %1 memory needs no erase (it is written without one): no erase command "
                                  "was sent")
                       .arg(MemoryOptionName(job.memoryKind));
        int exitCode = result.exitCode;
        if (!unrecorded.isEmpty()) {
            done = UnrecordedText(done, unrecorded);
            exitCode = kExitUnrecorded;
            extra.insert(QStringLiteral("result"), QStringLiteral("unrecorded"));
            extra.insert(QStringLiteral("board_exit_code"), result.exitCode);
        } else if (exitCode == kExitSuccess && HangUpRequested()) {
            done += QStringLiteral("; stopped there: the session was hung up");
            exitCode = kExitInterrupted;
        }
        reporter.result(exitCode, done, result.seconds, extra);
        return exitCode;
    }

    // The first board may be waited for as --wait says; every later one without limit,
    // while the operator fits it.
    QElapsedTimer clock;
    clock.start();
    int boards = 0;
    int succeeded = 0;
    int failed = 0;
    int interrupted = 0;
    bool unrecordedBoard = false;
    std::optional<qint64> waitMs = options.waitSeconds ? WaitMilliseconds(options.waitSeconds) : 0;
    while (!NoFurtherBoard()) {
        board = boards + 1;
        waitingForBoard();
        if (boards > 0 && options.nextBoard) {
            reporter.info(NextBoardPrompt(*options.nextBoard));
            const NextBoardWait changed =
                WaitForNextBoard(*options.nextBoard, session.port(), session.pump(), job.device);
            if (changed != NextBoardWait::Changed)
                break;  // Ctrl-C, or no Enter can come any more
        }
        const BoardResult result = session.run(waitMs);
        waitMs = 0;
        if (!result.answered) {
            if (result.exitCode == kExitInterrupted)
                break;  // stopped between boards
            reporter.result(result.exitCode, NoAnswerText(options, job, result, reporter), result.seconds);
            return result.exitCode;  // the first board never came within --wait
        }
        ++boards;
        if (result.exitCode == kExitSuccess)
            ++succeeded;
        else if (result.exitCode == kExitInterrupted)
            ++interrupted;  // stopped at the user's request: no fault of the board
        else
            ++failed;
        const QString unrecorded = record(boards, result);
        unrecordedBoard = !unrecorded.isEmpty();
        const QString outcome = result.exitCode == kExitSuccess
                                    ? QStringLiteral("ok in %1 s").arg(result.seconds, 0, 'f', 1)
                                    : QStringLiteral("%1 (exit %2) in %3 s: %4")
                                          .arg(ResultWord(result.exitCode))
                                          .arg(result.exitCode)
                                          .arg(result.seconds, 0, 'f', 1)
                                          .arg(result.message);
        const QString line = QStringLiteral("board %1: %2")
                                 .arg(boards)
                                 .arg(unrecordedBoard ? UnrecordedText(outcome, unrecorded) : outcome);
        QJsonObject event{{"event", "board"}, {"board", boards},
                          {"result", unrecordedBoard ? QStringLiteral("unrecorded") : ResultWord(result.exitCode)},
                          {"exit_code", result.exitCode}, {"seconds", result.seconds},
                          {"records", result.records}, {"message", result.message}};
        if (unrecordedBoard)
            event.insert(QStringLiteral("unrecorded"), unrecorded);
        if (result.serial)
            event.insert(QStringLiteral("serial"), qint64(*result.serial));
        reporter.event(event);
        if (!reporter.jsonOutput()) {
            if (result.exitCode == kExitSuccess && !unrecordedBoard)
                reporter.info(line);
            else
                reporter.error(line);
        }
        if (unrecordedBoard || result.exitCode == kExitInterrupted)
            break;  // a line must not go on without its records
    }
    const int exitCode = unrecordedBoard                           ? kExitUnrecorded
                         : failed > 0                              ? kExitSomeBoardsFailed
                         : interrupted > 0 || HangUpRequested()    ? kExitInterrupted
                                                                   : kExitSuccess;
    QString totals = QStringLiteral("boards: %1, ok: %2, failed: %3").arg(boards).arg(succeeded).arg(failed);
    if (interrupted > 0)
        totals += QStringLiteral(", interrupted: %1").arg(interrupted);
    if (unrecordedBoard)
        totals += QStringLiteral(", unrecorded: 1 (no further board was started)");
    reporter.result(exitCode, totals, clock.elapsed() / kMillisecondsPerSecond,
                    {{"port", job.device}, {"boards", boards}, {"ok", succeeded}, {"failed", failed},
                     {"interrupted", interrupted}, {"unrecorded", unrecordedBoard ? 1 : 0}});
    return exitCode;
}

}  // namespace

int RunBoardCommand(const CliOptions& options)
{
    ConsoleReporter reporter(OutputStyle(options));
    const auto store = OpenProfileStore();
    BoardJob job;
    QString message;
    if (const int prepared = PrepareJob(options, *store, job, &message); prepared != kExitSuccess) {
        reporter.result(prepared, message, 0);
        return prepared;
    }
    if (options.ports.size() > 1) {
        QStringList devices;
        for (const QString& port : options.ports)
            devices << DeviceOf(*store, PortSettingsFor(job.profile, port));
        return RunGang(options, job, devices, reporter);
    }
    reporter.setPort(job.device);  // named on every event, as a gang's parent names each board's
    return RunOnOnePort(options, *store, job, reporter);
}

}  // namespace zandor::cli
