// A production line whose boards are reset into their bootstrap mode by the host (reset pin
// on RTS, boot pin on DTR): the reset sequence before every zero byte, answered only when it
// left the board in its bootstrap mode, the run sequence after each programmed board, and
// --next-board telling the loop when the fixture holds a new board. zandor-cli runs with the
// simulated modem lines preloaded into it alone.

#include "ChildEnvironment.h"
#include "CliRun.h"
#include "support/SampleImages.h"

#include <QtTest>
#include <csignal>

using namespace zandor::testing;

namespace {

const QByteArray kResetOnRts = "dtr=on rts=on wait=50 rts=off wait=100";  // boot pin (DTR) held through the pulse
const QByteArray kStartOnRts = "dtr=off rts=on wait=50 rts=off";           // boot pin released: the application runs

QByteArray Store(const QByteArray& extraKeys)
{
    return "[Profiles]\nBench=Bench\n\n[Bench]\nCOMSettings=\"38400,N,8,1\"\nPreLoaderFile=PreLoad.bin\n"
           "C167LoaderFile=LoaderC167.sre\nProcessorCode=C167\n"
           + extraKeys;
}

QByteArray SequenceKeys()
{
    return "ResetSequence=" + kResetOnRts + "\nRunSequence=" + kStartOnRts + "\n";
}


// A simulated board (or fixture of boards) with its modem lines, and zandor-cli started
// with the preload library that gives the pseudo-terminal those lines.
class WiredLine {
public:
    explicit WiredLine(QStringList simArgs)
        : sim(QStringList{"--reset-line", "rts", "--boot-line", "dtr", "--presence-line", "dsr", "--modem-dir",
                          modemDir.path()}
              + simArgs)
    {
    }

    // Not `preloaded`: the pseudo-terminal as it is, without modem lines.
    std::unique_ptr<CliRun> startCli(const QStringList& arguments, const QByteArray& store, bool preloaded = true)
    {
        const ChildEnvironment environment(QList<QPair<QByteArray, QByteArray>>{
            {"LD_PRELOAD", preloaded ? qEnvironmentVariable("ZANDOR_MODEMLINES_LIB").toLocal8Bit() : QByteArray()},
            {"ZANDOR_MODEMLINES_DEVICE", sim.devicePath().toLocal8Bit()},
            {"ZANDOR_MODEMLINES_CHANGES", modemDir.filePath("changes").toLocal8Bit()},
            {"ZANDOR_MODEMLINES_INPUTS", modemDir.filePath("inputs").toLocal8Bit()},
        });
        auto cli = std::make_unique<CliRun>(QStringList{"--port", sim.devicePath()} + arguments, store);
        cli->process.waitForStarted();
        return cli;
    }

    QTemporaryDir modemDir;
    SimulatedTarget sim;
};

int Count(const QStringList& lines, const QString& pattern)
{
    return int(lines.filter(QRegularExpression(pattern)).size());
}
// Ctrl-C between boards ends a loop with its totals.
int Interrupt(CliRun& cli)
{
    ::kill(pid_t(cli.process.processId()), SIGINT);
    return cli.finish();
}

}  // namespace

class tst_next_board : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void resetSequenceDecidesTheBoardsMode_data();
    void resetSequenceDecidesTheBoardsMode();
    void aBoardLeftInPlaceIsProgrammedOnce();
    void boardsInTurnEachResetThenStarted();
    void sequencesRefusedBeforeABoardIsTouched();
    void doctorChecksTheModemLines();
    void aMissingAdapterIsWaitedForUnderLoop();
};

void tst_next_board::initTestCase()
{
    QVERIFY2(QFileInfo::exists(qEnvironmentVariable("ZANDOR_MODEMLINES_LIB")), "ZANDOR_MODEMLINES_LIB names no library");
}

void tst_next_board::resetSequenceDecidesTheBoardsMode_data()
{
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("logged");  // a line of the simulator's log

    // The DTR level comes from QSerialPort's own call at open, through the preloaded ioctl;
    // without a reset pulse the board goes on running its application.
    QTest::newRow("no sequence") << QByteArray("COMDTREnable=True\n") << 4 << "zero-unheard";
    QTest::newRow("boot asserted through the pulse") << "ResetSequence=" + kResetOnRts + "\n" << 0 << "reset-pulse";
    // The chip samples the boot pin as the reset ends: released before that, it starts the application.
    QTest::newRow("boot released before the pulse ends")
        << QByteArray("ResetSequence=dtr=on rts=on wait=50 dtr=off wait=10 rts=off wait=100\n") << 4 << "zero-unheard";
}

void tst_next_board::resetSequenceDecidesTheBoardsMode()
{
    QFETCH(QByteArray, keys);
    QFETCH(int, exitCode);
    QFETCH(QString, logged);
    WiredLine line({});
    QVERIFY2(line.sim.start(), qPrintable(line.sim.errorText()));
    const auto cli = line.startCli({"--profile", "Bench", "--json", "program", "Appl.sre"}, Store(keys));
    const int code = cli->finish();
    line.sim.stop();
    const QStringList log = line.sim.log();
    QVERIFY2(code == exitCode, qPrintable(QString::number(code) + " " + cli->output + cli->errors() + log.join(" | ")));
    QVERIFY2(log.contains(logged), qPrintable(log.join(" | ")));
    // Every change the host made reached the board; the sequence's steps are among them.
    QVERIFY2(Count(log, "^lines dtr=1 rts=0") > 0, qPrintable(log.join(" | ")));
    if (exitCode == 0)
        QVERIFY(line.sim.memory() == ImageOfSRecordFile("Appl.sre"));
    else
        QCOMPARE(Count(log, "^id-sent"), 0);
}

void tst_next_board::aBoardLeftInPlaceIsProgrammedOnce()
{
    WiredLine line({});
    QVERIFY2(line.sim.start(), qPrintable(line.sim.errorText()));
    auto cli = line.startCli({"--profile", "Bench", "--json", "--loop", "--next-board", "dsr", "program", "Appl.sre"},
                             Store(SequenceKeys()));
    QCOMPARE(cli->waitForEvent("board").value("result").toString(), QString("ok"));
    // Its presence line never drops: however long the loop waits, no zero byte goes out again.
    const QJsonObject waiting = cli->waitForEvent("waiting");
    QCOMPARE(waiting.value("board").toInt(), 2);
    QTest::qWait(600);
    QCOMPARE(Interrupt(*cli), 0);
    line.sim.stop();
    // The events zandor-line's tiles take: every one names the port, a wait names what it waits for.
    const QList<QJsonObject> events = cli->jsonLines();
    for (const QJsonObject& event : events)
        QCOMPARE(event.value("port").toString(), line.sim.devicePath());
    QCOMPARE(events.value(0), (QJsonObject{{"event", "waiting"}, {"for", "board"}, {"board", 1}, {"port", line.sim.devicePath()}}));
    QCOMPARE(events.value(1), (QJsonObject{{"event", "board_detected"}, {"board", 1}, {"port", line.sim.devicePath()}}));
    QCOMPARE(events.last().value("event").toString(), QString("result"));
    const QStringList log = line.sim.log();
    QCOMPARE(Count(log, "^id-sent"), 1);
    QCOMPARE(log.filter(QRegularExpression("^lines ")).last(), QString("lines dtr=0 rts=0 running its application"));
}

void tst_next_board::boardsInTurnEachResetThenStarted()
{
    WiredLine line({"--swap-ms", "150", "--boards", "3"});
    QVERIFY2(line.sim.start(), qPrintable(line.sim.errorText()));
    auto cli = line.startCli({"--profile", "Bench", "--json", "--loop", "--next-board", "dsr", "program", "Appl.sre"},
                             Store(SequenceKeys()));
    for (int board = 1; board <= 3; ++board) {
        const QJsonObject done = cli->waitForEvent("board");
        QCOMPARE(done.value("board").toInt(), board);
        QCOMPARE(done.value("result").toString(), QString("ok"));
    }
    QTRY_VERIFY_WITH_TIMEOUT(line.sim.log().contains("board-out 3"), 5000);
    QCOMPARE(Interrupt(*cli), 0);
    line.sim.stop();
    const QStringList log = line.sim.log();
    // Each board is fitted running its application; only the reset sequence puts it into its
    // bootstrap mode, and the run sequence leaves it running the new application.
    QCOMPARE(Count(log, "^id-sent"), 3);
    for (int board = 1; board <= 3; ++board) {
        const qsizetype fitted = log.indexOf(QString("board %1").arg(board));
        QVERIFY2(fitted >= 0, qPrintable(log.join(" | ")));
        const QStringList own = log.mid(fitted, log.indexOf(QString("board-out %1").arg(board)) - fitted);
        const qsizetype answered = own.indexOf(QRegularExpression("id-sent .*"));
        QVERIFY2(answered > own.indexOf("lines dtr=1 rts=0 bootstrap mode"), qPrintable(own.join(" | ")));
        QVERIFY2(!own.mid(0, own.indexOf("lines dtr=1 rts=1 held in reset")).filter("bootstrap mode").size(),
                 qPrintable(own.join(" | ")));
        QCOMPARE(own.filter(QRegularExpression("^lines ")).last(), QString("lines dtr=0 rts=0 running its application"));
    }
}

// A sequence step that does not parse, or a port without modem lines: refused before the
// board hears anything.
void tst_next_board::sequencesRefusedBeforeABoardIsTouched()
{
    WiredLine line({});
    QVERIFY2(line.sim.start(), qPrintable(line.sim.errorText()));
    const QStringList program{"--profile", "Bench", "program", "Appl.sre"};
    const auto unparsed = line.startCli(program, Store("RunSequence=dtr=on wiat=5\n"));
    QCOMPARE(unparsed->finish(), 1);
    QVERIFY2(unparsed->errors().contains("wiat=5"), unparsed->output.constData());
    const auto noLines = line.startCli(program, Store(SequenceKeys()), false);
    QCOMPARE(noLines->finish(), 3);
    QVERIFY2(noLines->errors().contains("no modem lines"), noLines->output.constData());
    line.sim.stop();
    QCOMPARE(Count(line.sim.log(), "^id-sent"), 0);
}

void tst_next_board::doctorChecksTheModemLines()
{
    WiredLine line({});
    QVERIFY2(line.sim.start(), qPrintable(line.sim.errorText()));
    for (const bool preloaded : {true, false}) {
        const auto cli = line.startCli({"--profile", "Bench", "--json", "doctor"}, Store(SequenceKeys()), preloaded);
        cli->finish();
        QCOMPARE(cli->check("modem lines").value("status").toString(), preloaded ? QString("pass") : QString("fail"));
    }
}

void tst_next_board::aMissingAdapterIsWaitedForUnderLoop()
{
    QTemporaryDir folder;
    const QString missing = folder.filePath("ttyUSB-unplugged");
    CliRun looping({"--port", missing, "--json", "--loop", "program", "Appl.sre"}, Store({}));
    QCOMPARE(looping.waitForEvent("waiting").value("for").toString(), QString("board"));
    const QJsonObject waiting = looping.waitForEvent("waiting");
    QCOMPARE(waiting.value("for").toString(), QString("adapter"));
    QCOMPARE(waiting.value("port").toString(), missing);
    QVERIFY(!waiting.value("message").toString().isEmpty());
    QCOMPARE(Interrupt(looping), 0);

    CliRun once({"--port", missing, "--json", "program", "Appl.sre"}, Store({}));
    QCOMPARE(once.finish(), 3);
}

QTEST_GUILESS_MAIN(tst_next_board)
#include "tst_next_board.moc"
