#include "GangRun.h"

#include "ExitCodes.h"
#include "Interrupt.h"
#include "RunLog.h"
#include "RunSetup.h"
#include "platform/TimeUnits.h"

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
    std::unique_ptr<QProcess> process;
    QByteArray pending;  // a line not complete yet
    QString phase = QStringLiteral("starting");
    QString percent;
    PlainProgressSteps plainSteps;  // without a terminal
    QString boardLine;   // loop: the last "board N: ..." line
    bool finished = false;
    int exitCode = kCrashedExitCode;
    double seconds = 0;
    int records = 0;
    QString message;
};

QString TraceFileFor(const QString& trace, const QString& port)
{
    QString name = port.section(QLatin1Char('/'), -1);
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
    return trace + QLatin1Char('.') + name;
}

class Gang {
public:
    Gang(const CliOptions& options, ConsoleReporter& reporter)
        : options_(options), reporter_(reporter), live_(!options.json && !options.quiet && OutputStyle(options).terminal)
    {
    }

    int run(const QString& imageDigest)
    {
        QElapsedTimer clock;
        clock.start();
        QEventLoop loop;
        for (const QString& port : options_.ports) {
            auto board = std::make_unique<Board>();
            board->port = port;
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

    void show(Board& board, const QJsonObject& event)
    {
        if (options_.json)
            WriteJsonLine(event);
        const QString kind = event.value(QStringLiteral("event")).toString();
        if (kind == QLatin1String("step")) {
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
            board.boardLine = QStringLiteral("board %1: %2 in %3 s")
                                  .arg(event.value(QStringLiteral("board")).toInt())
                                  .arg(event.value(QStringLiteral("result")).toString())
                                  .arg(event.value(QStringLiteral("seconds")).toDouble(), 0, 'f', 1);
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
            const QString ended = options_.loop                        ? QStringLiteral("ended: ")
                                  : board->exitCode == kExitSuccess ? QString()
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
        QJsonArray rows;
        QString failures;
        QString table = QStringLiteral("%1  %2  %3  %4  %5\n")
                            .arg(QStringLiteral("port"), -portWidth())
                            .arg(QStringLiteral("result"), -kResultWidth)
                            .arg(QStringLiteral("exit"), 4)
                            .arg(QStringLiteral("seconds"), 7)
                            .arg(options_.loop ? QStringLiteral("boards ok") : QStringLiteral("records"));
        for (const auto& board : boards_) {
            allOk = allOk && board->exitCode == kExitSuccess;
            const bool crashed = board->exitCode == kCrashedExitCode;
            const QString result = crashed ? QStringLiteral("failed") : ResultWord(board->exitCode);
            const QString kind = crashed ? QStringLiteral("crashed") : FailureKind(board->exitCode);
            table += QStringLiteral("%1  %2  %3  %4  %5\n")
                         .arg(board->port, -portWidth())
                         .arg(kind, -kResultWidth)
                         .arg(board->exitCode, 4)
                         .arg(board->seconds, 7, 'f', 1)
                         .arg(board->records);
            if (board->exitCode != kExitSuccess)
                failures += QStringLiteral("%1: %2\n").arg(board->port, board->message);
            rows.append(QJsonObject{{"port", board->port}, {"result", result}, {"exit_code", board->exitCode},
                                    {"seconds", board->seconds}, {"records", board->records},
                                    {"message", board->message}});
        }
        const int exitCode = allOk ? kExitSuccess : kExitSomeBoardsFailed;
        if (!options_.json && !options_.quiet)
            PrintOut(table + failures);
        else if (!options_.json && !failures.isEmpty())
            reporter_.error(failures.trimmed());  // errors only: still which board and why
        const QString message = allOk ? QStringLiteral("every board succeeded")
                                      : QStringLiteral("some boards failed: see the summary");
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
    ConsoleReporter& reporter_;
    const bool live_;
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

int RunGang(const CliOptions& options, const BoardJob& job, ConsoleReporter& reporter)
{
    const QString digest = job.image ? QString::fromLatin1(ImageDigest(*job.image).toHex()) : QString();
    return Gang(options, reporter).run(digest);
}

}  // namespace zandor::cli
