// zandor-cli when the board, the log or the session fails: a refusal is never reported as
// success, a board programmed is recorded (or the run says it is not, exit 10), and a
// dropped session finishes the board it was programming.

#include "CliRun.h"
#include "support/ProcessTree.h"
#include "support/SampleImages.h"

#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zandor::testing;

namespace {

constexpr int kAckDelayMs = 30;        // a download of Appl.sre then takes about 3 s
constexpr int kOrphansLimitMs = 30000;  // board processes left alone finish within this

// Slowed down, so that a signal can come mid-download.
QStringList SlowBoard() { return {"--ack-delay", QString::number(kAckDelayMs)}; }

// Waits (bounded) until the log holds `count` lines.
bool WaitForLogLines(const QString& path, int count)
{
    QElapsedTimer clock;
    clock.start();
    while (LogLines(path).size() < count && clock.elapsed() < kOrphansLimitMs)
        QTest::qWait(100);
    return LogLines(path).size() >= count;
}

QString PortOfProcess(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
    const QList<QByteArray> arguments = file.open(QIODevice::ReadOnly) ? file.readAll().split('\0') : QList<QByteArray>{};
    const qsizetype at = arguments.indexOf("--port");
    return at >= 0 ? QString::fromLocal8Bit(arguments.value(at + 1)) : QString();
}

}  // namespace

class tst_faults : public QObject {
    Q_OBJECT
private slots:
    void strayAcknowledgementAheadOfARefusal();
    void shortWriteOfTheLogLeavesNoTornLine();
    void fullLogOrTraceLeavesTheBoardUnrecorded();
    void hangUpOrClosedPipeFinishesAndRecordsTheBoard();
    void gangParentKilledMidDownload();
    void wrongChipUnderWaitAndLoop();
    void fifoAsTheLog();
    void everyAttemptGetsOneLine();
    void stoppingAWaitingGangIsNoFailure();

private:
    QTemporaryDir dir_;
};

// A stray "*" ahead of every reply: the refusal behind it still fails its record.
void tst_faults::strayAcknowledgementAheadOfARefusal()
{
    SimulatedTarget sim({"--stray", "2A", "--refuse", "?@record:50"});
    QVERIFY2(sim.start(), qPrintable(sim.errorText()));
    CliRun cli({"program", "Appl.sre", "--port", sim.devicePath(), "--json"});
    QCOMPARE(cli.finish(), 7);
    QVERIFY2(cli.message().startsWith("download: record 50 at ") && cli.message().contains("Checksum Error : (3F *?)"),
             qPrintable(cli.message()));
    sim.stop();
    QCOMPARE(Logged(sim, "^record 51 "), 0);
}

// A file size limit cuts the board's line short: the part written is taken back, so no
// torn line glues onto the next writer's; the board is reported unrecorded (exit 10), one
// board on its own and in a gang alike.
void tst_faults::shortWriteOfTheLogLeavesNoTornLine()
{
    const QString log = dir_.filePath("short.jsonl");
    // Long enough that the limit leaves room for the port's lock file, not for a line.
    const QByteArray earlier = "{\"earlier\":\"" + QByteArray(1000, 'x') + "\"}\n";
    QVERIFY(WriteTestFile(log, earlier));
    const rlim_t limit = rlim_t(earlier.size()) + 40;

    SimulatedTarget one, a, b;
    for (SimulatedTarget* sim : {&one, &a, &b})
        QVERIFY2(sim->start(), qPrintable(sim->errorText()));
    const QStringList runs[] = {{"--port", one.devicePath()}, {"--ports", a.devicePath() + "," + b.devicePath()}};
    for (const QStringList& ports : runs) {
        CliRun cli(QStringList{"program", "Appl.sre", "--log", log, "--json"} + ports, {}, CliPath(), [limit] {
            const rlimit fileSize{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &fileSize);
        });
        QCOMPARE(cli.finish(), 10);  // a normal exit: no SIGXFSZ
        const QJsonObject result = cli.result();
        QVERIFY2(cli.message().contains("unrecorded"), qPrintable(cli.message()));
        if (ports.first() == "--ports") {
            for (const QJsonValue& row : result.value("boards").toArray())
                QCOMPARE(row.toObject().value("exit_code").toInt(), 10);
        } else {
            QCOMPARE(result.value("result").toString(), QStringLiteral("unrecorded"));
            QCOMPARE(result.value("board_exit_code").toInt(), 0);
        }
        QCOMPARE(ReadTestFile(log), earlier);
    }
    for (SimulatedTarget* sim : {&one, &a, &b}) {
        sim->stop();
        QVERIFY(sim->memory() == ImageOfSRecordFile("Appl.sre"));  // programmed, only not recorded
    }
    // The next writer's line stands whole on a line of its own.
    SimulatedTarget next;
    QVERIFY2(next.start(), qPrintable(next.errorText()));
    CliRun cli({"program", "Appl.sre", "--port", next.devicePath(), "--log", log, "--json"});
    QCOMPARE(cli.finish(), 0);
    const QList<QJsonObject> lines = LogLines(log);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[1].value("result").toString(), QStringLiteral("ok"));
}

// A log or trace on a full disk: the board is finished and said to be unrecorded, and a
// loop starts no further board.
void tst_faults::fullLogOrTraceLeavesTheBoardUnrecorded()
{
    for (const char* option : {"--log", "--trace"}) {
        SimulatedTarget sim({"--rearm", "300"});  // a fresh board soon after each download
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        CliRun cli({"program", "Appl.sre", "--port", sim.devicePath(), "--loop", option, "/dev/full", "--json"});
        QCOMPARE(cli.finish(), 10);  // ended by itself
        QCOMPARE(cli.count("board"), 1);
        const QJsonObject board = cli.last("board");
        QCOMPARE(board.value("result").toString(), QStringLiteral("unrecorded"));
        QCOMPARE(board.value("exit_code").toInt(), 0);
        QVERIFY2(board.value("unrecorded").toString().contains("No space left on device"), option);
        QCOMPARE(cli.result().value("unrecorded").toInt(), 1);
        sim.stop();
        QCOMPARE(Logged(sim, "^id-sent"), 1);  // no second board
    }
}

// The terminal or ssh session closed mid-download (SIGHUP), or `zandor-cli ... --json | head`
// closing the pipe: nothing dies, the board is finished and recorded.
void tst_faults::hangUpOrClosedPipeFinishesAndRecordsTheBoard()
{
    for (const bool pipe : {false, true}) {
        SimulatedTarget sim(SlowBoard());
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        const QString log = dir_.filePath(pipe ? "pipe.jsonl" : "hup.jsonl"), exitFile = dir_.filePath("exit");
        const QStringList arguments{"program", "Appl.sre", "--port", sim.devicePath(), "--log", log, "--json"};
        if (pipe) {
            // The shell runs zandor-cli as "$0" "$@" and keeps its exit code apart from head's.
            const QString script = QStringLiteral("{ \"$0\" \"$@\"; echo $? > '%1'; } | head -n 3 > /dev/null").arg(exitFile);
            CliRun shell(QStringList{"-c", script, CliPath()} + arguments, {}, QStringLiteral("sh"));
            QVERIFY(shell.finish() >= 0);
            QCOMPARE(ReadTestFile(exitFile).trimmed(), QByteArray("130"));
        } else {
            CliRun cli(arguments);
            QVERIFY(!cli.waitForEvent("progress").isEmpty());
            ::kill(cli.process.processId(), SIGHUP);
            QCOMPARE(cli.finish(), 130);
        }
        const QList<QJsonObject> lines = LogLines(log);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines[0].value("result").toString(), QStringLiteral("ok"));
        sim.stop();
        QVERIFY(sim.memory() == ImageOfSRecordFile("Appl.sre"));
    }
}

// A gang's parent killed mid-download: each board process finishes its board and records it.
void tst_faults::gangParentKilledMidDownload()
{
    SimulatedTarget a(SlowBoard()), b(SlowBoard());
    for (SimulatedTarget* sim : {&a, &b})
        QVERIFY2(sim->start(), qPrintable(sim->errorText()));
    const QString log = dir_.filePath("killed.jsonl");
    CliRun cli({"program", "Appl.sre", "--ports", a.devicePath() + "," + b.devicePath(), "--log", log, "--json"});
    QVERIFY(!cli.waitForEvent("progress").isEmpty());
    ::kill(cli.process.processId(), SIGKILL);
    QVERIFY(WaitForLogLines(log, 2));
    for (const QJsonObject& line : LogLines(log))
        QCOMPARE(line.value("result").toString(), QStringLiteral("ok"));
    for (SimulatedTarget* sim : {&a, &b}) {
        sim->stop();
        QVERIFY(sim->memory() == ImageOfSRecordFile("Appl.sre"));
    }
}

// A chip that answers with the wrong byte is no missing board: the wait ends with it, and
// a loop counts it as a failed board and waits for the next.
void tst_faults::wrongChipUnderWaitAndLoop()
{
    SimulatedTarget waited({"--id", "D5"});
    QVERIFY2(waited.start(), qPrintable(waited.errorText()));
    CliRun wait({"identify", "--port", waited.devicePath(), "--wait", "5", "--json"});
    QCOMPARE(wait.finish(), 4);
    QVERIFY2(wait.message().contains("answered D5h, not as a C167"), wait.output.constData());

    SimulatedTarget looped({"--id", "D5"});
    QVERIFY2(looped.start(), qPrintable(looped.errorText()));
    const QString log = dir_.filePath("wrong-chip.jsonl");
    CliRun loop({"program", "Appl.sre", "--port", looped.devicePath(), "--loop", "--log", log, "--json"});
    const QJsonObject board = loop.waitForEvent("board");
    QCOMPARE(board.value("exit_code").toInt(), 4);
    QVERIFY2(board.value("message").toString().contains("answered D5h"), qPrintable(board.value("message").toString()));
    QTest::qWait(1000);  // probes go on, the same board counts once
    QCOMPARE(loop.process.state(), QProcess::Running);
    ::kill(loop.process.processId(), SIGINT);
    QCOMPARE(loop.finish(), 9);
    QCOMPARE(loop.count("board"), 1);
    const QList<QJsonObject> lines = LogLines(log);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0].value("exit_code").toInt(), 4);
}

// A FIFO as the log: one nobody reads is refused before any board; one with a reader (a log
// collector) gets the lines.
void tst_faults::fifoAsTheLog()
{
    const QString fifo = dir_.filePath("collector");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    SimulatedTarget sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorText()));
    CliRun alone({"program", "Appl.sre", "--port", sim.devicePath(), "--log", fifo, "--json"});
    QCOMPARE(alone.finish(10000), 1);
    QVERIFY2(alone.message().contains("FIFO"), alone.output.constData());

    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    CliRun read({"program", "Appl.sre", "--port", sim.devicePath(), "--log", fifo, "--json"});
    QCOMPARE(read.finish(), 0);
    char text[4096];
    const ssize_t got = ::read(reader, text, sizeof text);
    ::close(reader);
    QVERIFY(got > 0);
    const QList<QJsonObject> lines = JsonLines(QByteArray(text, int(got)));
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0].value("result").toString(), QStringLiteral("ok"));
    sim.stop();
    QCOMPARE(Logged(sim, "^id-sent"), 1);  // the refused run sent nothing
}

// Every attempt on a board has one line: a port that does not exist, a silent board, a
// board process that crashed. Probes nobody answered under --wait are no attempts.
void tst_faults::everyAttemptGetsOneLine()
{
    const QString log = dir_.filePath("attempts.jsonl");
    SimulatedTarget silent({"--silent"});
    QVERIFY2(silent.start(), qPrintable(silent.errorText()));
    CliRun missing({"program", "Appl.sre", "--port", "/nonexistent/tty", "--log", log});
    QCOMPARE(missing.finish(), 3);
    CliRun unanswered({"program", "Appl.sre", "--port", silent.devicePath(), "--log", log});
    QCOMPARE(unanswered.finish(), 4);
    CliRun waited({"program", "Appl.sre", "--port", silent.devicePath(), "--wait", "0.5", "--log", log});
    QCOMPARE(waited.finish(), 4);
    QList<QJsonObject> lines = LogLines(log);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0].value("port").toString(), QStringLiteral("/nonexistent/tty"));
    QCOMPARE(lines[0].value("exit_code").toInt(), 3);
    QCOMPARE(lines[1].value("exit_code").toInt(), 4);
    QCOMPARE(lines[1].value("result").toString(), QStringLiteral("failed"));

    // A board process that crashes mid-download: its parent writes the line.
    SimulatedTarget a(SlowBoard()), b(SlowBoard());
    for (SimulatedTarget* sim : {&a, &b})
        QVERIFY2(sim->start(), qPrintable(sim->errorText()));
    CliRun gang({"program", "Appl.sre", "--ports", a.devicePath() + "," + b.devicePath(), "--log", log, "--json"});
    QVERIFY(!gang.waitForEvent("progress").isEmpty());
    const QList<qint64> boards = ChildrenOf(gang.process.processId());
    QCOMPARE(boards.size(), 2);
    const QString crashedPort = PortOfProcess(boards[0]);
    ::kill(pid_t(boards[0]), SIGSEGV);
    QCOMPARE(gang.finish(), 9);
    lines = LogLines(log).mid(2);
    QCOMPARE(lines.size(), 2);
    QStringList results;
    for (const QJsonObject& line : lines)
        results << line.value("port").toString() + " " + line.value("result").toString();
    results.sort();
    QStringList expected{crashedPort + " crashed",
                         (crashedPort == a.devicePath() ? b.devicePath() : a.devicePath()) + " ok"};
    expected.sort();
    QCOMPARE(results, expected);
}

// Ctrl-C while every port still waits for its board: nothing failed, so 130, not 9.
void tst_faults::stoppingAWaitingGangIsNoFailure()
{
    CliRun cli({"program", "Appl.sre", "--ports", "/nonexistent/a,/nonexistent/b", "--wait", "0", "--json"});
    QTest::qWait(1000);
    ::kill(cli.process.processId(), SIGINT);
    QCOMPARE(cli.finish(), 130);
    for (const QJsonValue& row : cli.result().value("boards").toArray())
        QCOMPARE(row.toObject().value("exit_code").toInt(), 130);
}

QTEST_GUILESS_MAIN(tst_faults)
#include "tst_faults.moc"
