#include "GangRun.h"

#include "ExitCodes.h"
#include "Interrupt.h"
#include "RunLog.h"
#include "RunSetup.h"
#include "platform/TimeUnits.h"
#include "protocol/ImageDigest.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <memory>

namespace zandor::cli {

namespace {

constexpr qint64 kLiveRedrawMs = 100;  // the live lines are redrawn at most this often
constexpr int kCrashedExitCode = -1;   // a board process that did not exit by itself
using platform::kMillisecondsPerSecond;
constexpr int kResultWidth = 11;          // "interrupted"

struct Board {
    QString port;
    QString device;      // what the port opens, for the log
    std::unique_ptr<QProcess> process;
    QByteArray pending;  // a line not complete yet
    QString phase = QStringLiteral("starting");
    QString percent;
    PlainProgressSteps plainSteps;  // without a terminal
    QString boardLine;   // loop: the last "board N: ..." line
    int boardsDone = 0;  // "board" events so far
    bool boardUnderway = false;  // a board answered since the last "board" event
    std::optional<std::uint64_t> serial;  // the number the board underway took
    QElapsedTimer boardClock;    // since it answered
    bool finished = false;
    int exitCode = kCrashedExitCode;
    double seconds = 0;
    int records = 0;
    QString message;
    QString lastFailure;  // loop: "board 3: <why>" of the last board that failed
};

QString TraceFileFor(const QString& trace, const QString& port)
{
    QString name = port.section(QLatin1Char('/'), -1);
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
    return trace + QLatin1Char('.') + name;
}

class Gang {
public:
    Gang(const CliOptions& options, const BoardJob& job, ConsoleReporter& reporter)
        : options_(options), job_(job), reporter_(reporter),
          live_(!options.json && !options.quiet && OutputStyle(options).terminal)
    {
    }

    int run(const QString& imageDigest, const QStringList& devices)
    {
        QElapsedTimer clock;
        clock.start();
        QEventLoop loop;
        for (int i = 0; i < options_.ports.size(); ++i) {
            const QString& port = options_.ports.at(i);
            auto board = std::make_unique<Board>();
            board->port = port;
            board->device = devices.value(i, port);
            board->process = std::make_unique<QProcess>();
            QProcess* process = board->process.get();
            Board* b = board.get();
            QObject::connect(process, &QProcess::readyReadStandardOutput, [this, b] { takeLines(*b); });
            QObject::connect(process, &QProcess::readyReadStandardError, [this, b] {
                const QByteArray text = b->process->readAllStandardError();
                for (const QByteArray& line : text.split('\n')) {
                    if (!line.isEmpty())
                        reporter_.error(QStringLiteral("[%1] %2").arg(b->port, QString::fromLocal8Bit(line)));
                }
            });
            QObject::connect(process, &QProcess::finished, [this, b, &loop](int code, QProcess::ExitStatus status) {
                takeLines(*b);
                b->finished = true;
                if (status != QProcess::NormalExit) {
                    b->exitCode = kCrashedExitCode;
                    b->message = QStringLiteral("the board process ended abnormally");
                    // Its own result line never came: the board's tile hears of it now.
                    reporter_.event({{"event", "result"}, {"port", b->port}, {"exit_code", kCrashedExitCode},
                                     {"message", b->message}});
                    recordCrash(*b);
                } else {
                    b->exitCode = code;
                }
                redraw(true);
                if (allFinished())
                    loop.quit();
            });
            StartBoardProcess(*process, BoardProcessArguments(options_, port, imageDigest));
            boards_.push_back(std::move(board));
        }
        if (!allFinished())
            loop.exec();
        redraw(true);
        return summarize(clock.elapsed() / kMillisecondsPerSecond);
    }

private:
    bool allFinished() const
    {
        for (const auto& board : boards_) {
            if (!board->finished && board->process->state() != QProcess::NotRunning)
                return false;
        }
        return true;
    }

    void takeLines(Board& board)
    {
        board.pending += board.process->readAllStandardOutput();
        qsizetype end;
        while ((end = board.pending.indexOf('\n')) >= 0) {
            const QByteArray line = board.pending.left(end);
            board.pending.remove(0, end + 1);
            QJsonObject event = QJsonDocument::fromJson(line).object();
            if (event.isEmpty())
                continue;
            event.insert(QStringLiteral("port"), board.port);
            show(board, event);
        }
    }

    // A board process that crashed wrote no line for the board it was on: this process
    // writes it, with what it knows. Every attempt gets its line.
    void recordCrash(Board& board)
    {
        const bool attempt = (!options_.loop && !options_.waitSeconds) || board.boardUnderway;
        if (options_.logFile.isEmpty() || !attempt)
            return;
        BoardRecord record;
        record.port = board.device;
        record.board = board.boardsDone + 1;
        record.exitCode = kCrashedExitCode;
        record.crashed = true;
        record.seconds = board.boardClock.isValid() ? board.boardClock.elapsed() / kMillisecondsPerSecond : 0;
        record.memoryKind = job_.memoryKind;
        record.profile = job_.profile.Name;
        record.operatorName = options_.operatorName.isEmpty() ? qEnvironmentVariable("ZANDOR_OPERATOR")
                                                              : options_.operatorName;
        record.preloaderSha256 = job_.preloaderSha256;
        record.loaderSha256 = job_.loaderSha256;
        record.serial = board.serial;
        record.message = board.message;
        if (job_.image) {
            record.file = job_.image->file;
            record.size = job_.image->fileBytes;
            record.sha256 = job_.image->sha256;
        }
        QString why;
        if (AppendBoardRecord(options_.logFile, record, &why))
            return;
        unrecorded_ = true;
        board.message += QStringLiteral("; unrecorded: ") + why;
        reporter_.error(QStringLiteral("[%1] board %2 is unrecorded: %3").arg(board.port).arg(record.board).arg(why));
    }

    void show(Board& board, const QJsonObject& event)
    {
        if (options_.json)
            WriteJsonLine(event);
        const QString kind = event.value(QStringLiteral("event")).toString();
        if (kind == QLatin1String("step") && !board.boardUnderway) {
            board.boardUnderway = true;
            board.boardClock.start();
            board.serial.reset();
        }
        if (kind == QLatin1String("serial"))
            board.serial = std::uint64_t(event.value(QStringLiteral("serial")).toInteger());
        if (kind == QLatin1String("error")) {
            // A board's own errors (a record that cannot be written, above all) are shown.
            if (!options_.json)
                reporter_.error(QStringLiteral("[%1] %2").arg(board.port, event.value(QStringLiteral("text")).toString()));
        } else if (kind == QLatin1String("step")) {
            board.phase = event.value(QStringLiteral("text")).toString();
            board.percent.clear();
            board.plainSteps.restart();
            if (!live_ && !options_.json && !options_.quiet)
                reporter_.info(QStringLiteral("[%1] %2").arg(board.port, board.phase));
        } else if (kind == QLatin1String("progress")) {
            board.percent = QStringLiteral("%1%").arg(event.value(QStringLiteral("percent")).toInt());
            const bool step = board.plainSteps.reached(event.value(QStringLiteral("bytes")).toInteger(),
                                                       event.value(QStringLiteral("total")).toInteger());
            if (step && !live_ && !options_.json && !options_.quiet)
                reporter_.info(QStringLiteral("[%1] download: %2").arg(board.port, board.percent));
        } else if (kind == QLatin1String("board")) {
            ++board.boardsDone;
            board.boardUnderway = false;
            board.boardLine = QStringLiteral("board %1: %2 in %3 s")
                                  .arg(event.value(QStringLiteral("board")).toInt())
                                  .arg(event.value(QStringLiteral("result")).toString())
                                  .arg(event.value(QStringLiteral("seconds")).toDouble(), 0, 'f', 1);
            // A failed board says why, as a single port's loop does.
            if (event.value(QStringLiteral("exit_code")).toInt() != kExitSuccess) {
                board.lastFailure = QStringLiteral("board %1: %2")
                                        .arg(event.value(QStringLiteral("board")).toInt())
                                        .arg(event.value(QStringLiteral("message")).toString());
                board.boardLine += QStringLiteral(": ") + event.value(QStringLiteral("message")).toString();
            }
            if (!live_ && !options_.json)
                reporter_.info(QStringLiteral("[%1] %2").arg(board.port, board.boardLine));
        } else if (kind == QLatin1String("result")) {
            board.seconds = event.value(QStringLiteral("seconds")).toDouble();
            board.records = event.value(QStringLiteral("records")).toInt();
            board.message = event.value(QStringLiteral("message")).toString();
            if (event.contains(QStringLiteral("boards")))
                board.records = event.value(QStringLiteral("ok")).toInt();
        }
        redraw(false);
    }

    // One line per port, rewritten in place on a terminal.
    void redraw(bool force)
    {
        if (!live_)
            return;
        if (!force && redrawClock_.isValid() && redrawClock_.elapsed() < kLiveRedrawMs)
            return;
        redrawClock_.start();
        QByteArray text;
        if (drawnLines_ > 0)
            text += "\x1b[" + QByteArray::number(drawnLines_) + "A";
        for (const auto& board : boards_) {
            // A board's own message already says "done in 2.0 s" when it succeeded.
            const int code = board->exitCode;
            const QString ended = options_.loop ? QStringLiteral("ended: ")
                                  : code == kExitSuccess || code == kExitUnrecorded || code == kExitInterrupted
                                      ? QString()
                                      : QStringLiteral("failed: ");
            QString state = board->finished ? ended + board->message
                                            : board->phase + (board->percent.isEmpty() ? QString() : QLatin1Char(' ') + board->percent);
            if (!board->boardLine.isEmpty())
                state += QStringLiteral("  (%1)").arg(board->boardLine);
            text += "\r\x1b[K" + QStringLiteral("%1  %2").arg(board->port, -portWidth()).arg(state).toLocal8Bit() + '\n';
        }
        drawnLines_ = int(boards_.size());
        WriteNow(stderr, text);
    }

    int summarize(double seconds)
    {
        bool allOk = true;
        bool failed = false;       // a board failed, or its process crashed
        bool stopped = false;      // a board was stopped (Ctrl-C, a hang-up): no failure
        bool unrecorded = unrecorded_;  // a board's record is lost: the line stopped
        QJsonArray rows;
        QString failures;
        QString table = QStringLiteral("%1  %2  %3  %4  %5  %6\n")
                            .arg(QStringLiteral("port"), -portWidth())
                            .arg(QStringLiteral("result"), -kResultWidth)
                            .arg(QStringLiteral("exit"), 4)
                            .arg(QStringLiteral("seconds"), 7)
                            .arg(options_.loop ? QStringLiteral("boards ok") : QStringLiteral("records"), 9)
                            .arg(QStringLiteral("message"));
        for (const auto& board : boards_) {
            const int code = board->exitCode;
            allOk = allOk && code == kExitSuccess;
            unrecorded = unrecorded || code == kExitUnrecorded;
            stopped = stopped || code == kExitInterrupted;
            failed = failed || (code != kExitSuccess && code != kExitInterrupted && code != kExitUnrecorded);
            const bool crashed = code == kCrashedExitCode;
            const QString result = crashed                    ? QStringLiteral("failed")
                                   : code == kExitUnrecorded ? QStringLiteral("unrecorded")
                                                             : ResultWord(code);
            const QString kind = crashed ? QStringLiteral("crashed") : FailureKind(code);
            // The failure's own words: a loop's last failed board, else the board's result.
            const QString why = options_.loop && !board->lastFailure.isEmpty() ? board->lastFailure
                                : code != kExitSuccess                         ? board->message
                                                                               : QString();
            table += QStringLiteral("%1  %2  %3  %4  %5  %6\n")
                         .arg(board->port, -portWidth())
                         .arg(kind, -kResultWidth)
                         .arg(code, 4)
                         .arg(board->seconds, 7, 'f', 1)
                         .arg(board->records, 9)
                         .arg(why);
            if (code != kExitSuccess)
                failures += QStringLiteral("%1: %2\n").arg(board->port, board->message);
            QJsonObject row{{"port", board->port}, {"result", result}, {"exit_code", code},
                            {"seconds", board->seconds}, {"records", board->records},
                            {"message", why.isEmpty() ? board->message : why}};
            if (board->serial && !options_.loop)
                row.insert(QStringLiteral("serial"), qint64(*board->serial));
            rows.append(row);
        }
        // An unrecorded board stops a line, so it wins over a failed one; boards that were
        // only stopped are no failures.
        const int exitCode = unrecorded ? kExitUnrecorded
                             : failed   ? kExitSomeBoardsFailed
                             : stopped  ? kExitInterrupted
                                        : kExitSuccess;
        if (!options_.json && !options_.quiet)
            PrintOut(table + failures);
        else if (!options_.json && !failures.isEmpty())
            reporter_.error(failures.trimmed());  // errors only: still which board and why
        QString message = QStringLiteral("every board succeeded");
        if (exitCode == kExitUnrecorded)
            message = QStringLiteral("a board was programmed but not recorded (unrecorded): see the summary");
        else if (exitCode == kExitSomeBoardsFailed)
            message = QStringLiteral("some boards failed: see the summary");
        else if (!allOk)
            message = QStringLiteral("stopped: no board failed; see the summary");
        reporter_.result(exitCode, message, seconds, {{"boards", rows}});
        return exitCode;
    }

    int portWidth() const
    {
        int width = int(QStringLiteral("port").size());
        for (const auto& board : boards_)
            width = std::max(width, int(board->port.size()));
        return width;
    }

    const CliOptions& options_;
    const BoardJob& job_;
    ConsoleReporter& reporter_;
    const bool live_;
    bool unrecorded_ = false;  // a crashed board's line could not be written here
    std::vector<std::unique_ptr<Board>> boards_;
    QElapsedTimer redrawClock_;
    int drawnLines_ = 0;
};

}  // namespace

QStringList BoardProcessArguments(const CliOptions& options, const QString& port, const QString& imageDigest)
{
    // The parent's own arguments, as typed: a board reads them exactly as the parent did.
    // Only the port, the trace file and the image guard are the board's own.
    QStringList args{QStringLiteral("--port"), port, QStringLiteral("--json")};
    if (!imageDigest.isEmpty())
        args << QStringLiteral("--expect-image") << imageDigest;
    if (!options.trace.isEmpty())
        args << QStringLiteral("--trace") << TraceFileFor(options.trace, port);
    return args + options.boardArguments;
}

int RunGang(const CliOptions& options, const BoardJob& job, const QStringList& devices, ConsoleReporter& reporter)
{
    const QString digest = job.image ? protocol::ImageDigestText(*job.image) : QString();
    return Gang(options, job, reporter).run(digest, devices);
}

}  // namespace zandor::cli
