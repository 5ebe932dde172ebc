// zandor-cli on a production line: several boards at once, waiting for a board, board after
// board with a record of each.

#include "CliRun.h"
#include "support/SampleImages.h"

#include <QCryptographicHash>
#include <QtTest>
#include <csignal>

using namespace zandor::testing;

class tst_production_line : public QObject {
    Q_OBJECT
private slots:
    void threeBoardsAtOnceOneRefusingItsThirdRecord();
    void gangProgramsWhatOnePortPrograms();
    void waitsForABoardStartedLater();
    void loopsOverTwoBoardsAndLogsEach();
};

void tst_production_line::threeBoardsAtOnceOneRefusingItsThirdRecord()
{
    SimulatedTarget good1, bad({"--refuse", "#@record:3"}), good2;
    for (SimulatedTarget* sim : {&good1, &bad, &good2})
        QVERIFY2(sim->start(), qPrintable(sim->errorText()));
    CliRun cli({"program", "Appl.sre", "--json", "--port", good1.devicePath(), "--ports",
                bad.devicePath() + "," + good2.devicePath()});
    QCOMPARE(cli.finish(), 9);
    QMap<QString, int> codes;  // each board's own result line
    for (const QJsonObject& line : cli.jsonLines()) {
        QVERIFY(line.contains("event"));
        if (line.value("event") == "result" && line.contains("port"))
            codes.insert(line.value("port").toString(), line.value("exit_code").toInt());
    }
    QCOMPARE(codes.value(good1.devicePath(), -1), 0);
    QCOMPARE(codes.value(bad.devicePath(), -1), 7);
    QCOMPARE(codes.value(good2.devicePath(), -1), 0);
    const QJsonArray rows = cli.jsonLines().last().value("boards").toArray();
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[1].toObject().value("exit_code").toInt(), 7);
    for (SimulatedTarget* sim : {&good1, &good2}) {
        sim->stop();
        QVERIFY(sim->memory() == ImageOfSRecordFile("Appl.sre"));
    }
}

// Awkward names and values (spaces, commas, leading dashes, non-ASCII, an empty --offset=
// over a profile's offset) reach every board of a gang as they reach a single port.
void tst_production_line::gangProgramsWhatOnePortPrograms()
{
    QTemporaryDir files;
    const QString application = files.filePath(QStringLiteral("Äpp, -1.bin"));
    const QString preLoader = files.filePath(QStringLiteral("pre loader.bin"));
    QVERIFY(QFile::copy(QDir(SamplesDir()).filePath("Appl.bin"), application));
    QVERIFY(QFile::copy(QDir(SamplesDir()).filePath("PreLoad.bin"), preLoader));
    const QByteArray store = "[Profiles]\n-Bench%202=-Bench 2\n\n[-Bench%202]\nCOMSettings=\"38400,N,8,1\"\n"
                             "PreLoaderFile=PreLoad.bin\nC167LoaderFile=LoaderC167.sre\nC167ApplFile=Appl.sre\n"
                             "C167ApplFileOffset=00001000\nProcessorCode=C167\n";
    const QStringList common{"--offset=", "--profile", "-Bench 2", "--preloader=" + preLoader,
                             "--loader", "LoaderC167.sre", "--json", "program", "--", application};
    const auto expected = ImageOf(SampleBytes("Appl.bin"), 0);  // the empty offset is 0

    SimulatedTarget single;
    QVERIFY2(single.start(), qPrintable(single.errorText()));
    CliRun one(QStringList{"--port", single.devicePath()} + common, store);
    QCOMPARE(one.finish(), 0);
    single.stop();
    QVERIFY(single.memory() == expected);

    SimulatedTarget a, b;
    for (SimulatedTarget* sim : {&a, &b})
        QVERIFY2(sim->start(), qPrintable(sim->errorText()));
    CliRun gang(QStringList{"--ports", a.devicePath() + "," + b.devicePath()} + common, store);
    QCOMPARE(gang.finish(), 0);
    for (SimulatedTarget* sim : {&a, &b}) {
        sim->stop();
        QVERIFY(sim->memory() == expected);
        QCOMPARE(sim->log().filter(QRegularExpression("^record ")), single.log().filter(QRegularExpression("^record ")));
    }
}

void tst_production_line::waitsForABoardStartedLater()
{
    SimulatedTarget sim;
    CliRun cli({"program", "Appl.sre", "--port", sim.devicePath(), "--wait", "20", "--json"});
    QTest::qWait(1000);  // the adapter is plugged in and the board reset a second later
    QVERIFY2(sim.start(), qPrintable(sim.errorText()));
    QCOMPARE(cli.finish(), 0);
    sim.stop();
    QVERIFY(sim.memory() == ImageOfSRecordFile("Appl.sre"));
}

void tst_production_line::loopsOverTwoBoardsAndLogsEach()
{
    SimulatedTarget sim({"--no-reset"});  // only a restart gives a board in bootstrap mode
    QTemporaryDir logDir;
    const QString log = logDir.filePath("boards.jsonl");
    CliRun cli({"program", "Appl.sre", "--port", sim.devicePath(), "--loop", "--log", log, "--json"});
    for (int board = 1; board <= 2; ++board) {
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        const QJsonObject done = cli.waitForEvent("board");
        QCOMPARE(done.value("board").toInt(), board);
        QCOMPARE(done.value("exit_code").toInt(), 0);
        sim.stop();  // the operator takes the board out
        QVERIFY(sim.memory() == ImageOfSRecordFile("Appl.sre"));
    }
    ::kill(cli.process.processId(), SIGINT);  // between boards: the totals, exit 0
    QCOMPARE(cli.finish(), 0);
    QCOMPARE(cli.jsonLines().last().value("boards").toInt(), 2);

    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    const QString sha256 = QCryptographicHash::hash(SampleBytes("Appl.sre"), QCryptographicHash::Sha256).toHex();
    for (int i = 0; i < 2; ++i) {
        const QJsonObject record = QJsonDocument::fromJson(lines[i]).object();
        QCOMPARE(record.value("board").toInt(), i + 1);
        QCOMPARE(record.value("sha256").toString(), sha256);
        for (const char* key : {"time", "port", "result", "exit_code", "seconds", "memory", "profile", "file", "size"})
            QVERIFY2(record.contains(key), key);
    }
}

QTEST_GUILESS_MAIN(tst_production_line)
#include "tst_production_line.moc"
