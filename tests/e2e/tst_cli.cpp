// zandor-cli against the simulated board: one case per outcome on the board, the JSON stream, the trace,
// and the port list and doctor.

#include "CliRun.h"
#include "support/SampleImages.h"

#include <QtTest>
#include <csignal>

using namespace zandor::testing;

class tst_cli : public QObject {
    Q_OBJECT
private slots:
    void exitCodes_data();
    void exitCodes();
    void ctrlCStopsAfterTheCurrentRecord();
    void portsAndDoctor();
    void silentBoardOnAPortHeldOpen();
};

void tst_cli::exitCodes_data()
{
    QTest::addColumn<QStringList>("simulator");  // no simulator at all when it is {"none"}
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("logged");  // the simulator's log holds this line (when given)
    using L = QStringList;
    QTest::newRow("S-record, external flash") << L{} << L{"program", "ApplAMD29F0x0.sre", "--memory", "external"}
                                              << 0 << "done in" << "erase 7";
    // At 38400 baud the loader takes longer on the line than its 0.5 s acknowledgement wait:
    // the wait must count from the last byte written.
    QTest::newRow("binary, real line speed") << L{"--baud", "38400"}
                                             << L{"program", "Appl.bin", "--offset", "20000", "--baud", "38400"}
                                             << 0 << "done in" << "record 47 3 00020B80 56";
    QTest::newRow("ST10F168") << L{"--id", "D5"} << L{"identify", "--cpu", "ST10F168"} << 0 << "ST10F168 (D5h) identified"
                              << "loader first LoaderC168";
    QTest::newRow("no port") << L{"none"} << L{"identify", "--port", "/nonexistent/tty"} << 3 << "does not exist" << "";
    QTest::newRow("silence") << L{"--silent"} << L{"identify"} << 4 << "identify: no answer within 0.2 s" << "";
    QTest::newRow("loader") << L{"--preloader-size", "33"} << L{"identify"} << 5 << "loader not acknowledged within 0.5 s" << "";
    QTest::newRow("erase") << L{"--refuse", "!@erase:2"} << L{"erase"} << 6
                           << "erase: bank 2 refused: Chip Erase Failed : (21 !)" << "erase 2";
    QTest::newRow("download") << L{"--refuse", "#@record:3"} << L{"program", "Appl.sre"} << 7
                              << "download: record 3 at 00010020 refused: Chip Program Failure : (23 #)" << "";
    QTest::newRow("line") << L{"--close-after-records", "5"} << L{"program", "Appl.sre"} << 8
                          << "download: record 5 at 00010060: the line went away" << "closed";
}

void tst_cli::exitCodes()
{
    QFETCH(QStringList, simulator);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(QString, logged);
    const bool withBoard = simulator != QStringList{"none"};
    SimulatedTarget sim(withBoard ? simulator : QStringList{});
    if (withBoard)
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
    QTemporaryDir traceDir;
    const QString trace = traceDir.filePath("trace.txt");
    if (!arguments.contains("--port"))
        arguments << "--port" << sim.devicePath();
    CliRun cli(arguments + QStringList{"--json", "--trace", trace});
    QCOMPARE(cli.finish(), exitCode);

    // Every line is a JSON object, and the last one says how the run ended.
    const QList<QJsonObject> lines = cli.jsonLines();
    QVERIFY(!lines.isEmpty());
    for (const QJsonObject& line : lines)
        QVERIFY2(line.contains("event"), cli.output.constData());
    QCOMPARE(lines.last().value("event").toString(), QStringLiteral("result"));
    QCOMPARE(lines.last().value("exit_code").toInt(), exitCode);
    QVERIFY2(lines.last().value("message").toString().contains(message),
             qPrintable(lines.last().value("message").toString()));
    if (!withBoard)
        return;
    sim.stop();
    QVERIFY2(logged.isEmpty() || sim.log().contains(logged), qPrintable(sim.log().join(" | ")));
    // Nothing after a refusal: the erase stops at its bank, the download at its record.
    QVERIFY(Logged(sim, "^(erase 3|record 4) ") == 0 || (exitCode != 6 && exitCode != 7));
    QFile traced(trace);
    QVERIFY(traced.open(QIODevice::ReadOnly));
    const QList<QByteArray> traceLines = traced.readAll().split('\n');
    QVERIFY(traceLines.size() >= 1 && traceLines[0].endsWith(" > 00"));  // the identification request
    if (exitCode == 0 && arguments.contains("ApplAMD29F0x0.sre"))
        QVERIFY(sim.memory() == ImageOfSRecordFile("ApplAMD29F0x0.sre"));
    if (exitCode == 0 && arguments.contains("Appl.bin"))
        QVERIFY(sim.memory() == ImageOf(SampleBytes("Appl.bin"), 0x20000));
    if (exitCode == 0) {
        QVERIFY(traceLines[1].endsWith(" < C5") || traceLines[1].endsWith(" < D5"));
        for (const QJsonObject& line : lines) {
            if (line.value("event") == "progress")
                QVERIFY(line.contains("percent") && line.contains("bytes") && line.contains("address"));
        }
    }
}

void tst_cli::ctrlCStopsAfterTheCurrentRecord()
{
    SimulatedTarget sim({"--baud", "9600"});
    QVERIFY2(sim.start(), qPrintable(sim.errorText()));
    CliRun cli({"program", "Appl.bin", "--port", sim.devicePath(), "--baud", "9600", "--json"});
    const QJsonObject progress = cli.waitForEvent("progress");
    QVERIFY(!progress.isEmpty());
    ::kill(cli.process.processId(), SIGINT);
    QCOMPARE(cli.finish(), 130);
    const QString message = cli.message();
    QVERIFY2(message.startsWith("interrupted after record ") && message.contains("of 47 (")
                 && message.endsWith("): the memory is partly programmed"),
             qPrintable(message));
    // The number is the last record the board answered, and the board got nothing after it.
    const int acknowledged = message.section(' ', 3, 3).toInt();
    sim.stop();
    QCOMPARE(Logged(sim, "^record "), acknowledged);

    // A second Ctrl-C while a record waits for its slow answer ends at once, still with a
    // result line. (The data flash has nothing to erase, so the slow answers start at once.)
    SimulatedTarget slow({"--ack-delay", "1500"});
    QVERIFY2(slow.start(), qPrintable(slow.errorText()));
    CliRun twice({"program", "ApplAT45D0x1.sre", "--memory", "data", "--port", slow.devicePath(), "--json"});
    QVERIFY(!twice.waitForEvent("progress").isEmpty());
    ::kill(twice.process.processId(), SIGINT);
    QTest::qWait(200);
    ::kill(twice.process.processId(), SIGINT);
    QCOMPARE(twice.finish(), 130);
    const QJsonObject last = twice.result();
    QCOMPARE(last.value("event").toString(), QStringLiteral("result"));
    QVERIFY2(last.value("message").toString().startsWith("interrupted at once"), twice.output.constData());
    QVERIFY(last.contains("seconds"));
}

void tst_cli::portsAndDoctor()
{
    SimulatedTarget sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorText()));
    // A COM number mapped to the simulator's device lists that device under it.
    CliRun ports({"ports", "--json"}, "[General]\nCOM3=" + sim.devicePath().toUtf8() + "\n");
    QCOMPARE(ports.finish(), 0);
    bool found = false;
    for (const QJsonValue& entry : QJsonDocument::fromJson(ports.output).array()) {
        const QJsonObject port = entry.toObject();
        for (const char* key : {"device", "by_id", "description", "manufacturer", "vid", "pid", "serial", "com"})
            QVERIFY2(port.contains(key), key);
        found = found || port.value("com").toArray().contains(3);
    }
    QVERIFY2(found, ports.output.constData());

    CliRun doctor({"doctor", "--port", sim.devicePath(), "--json"});
    QCOMPARE(doctor.finish(), 0);  // a pseudo-terminal works, without low latency
    for (const char* name : {"device", "access", "low latency", "pre-loader", "loader", "application"})
        QVERIFY2(!doctor.check(name).isEmpty(), name);
    CliRun missing({"doctor", "--port", "/nonexistent/tty"});
    QCOMPARE(missing.finish(), 3);

    // The doctor passes no file that program refuses: an empty pre-loader fails both.
    QTemporaryDir files;
    const QString empty = files.filePath("empty.bin");
    QFile(empty).open(QIODevice::WriteOnly);
    CliRun emptyDoctor({"doctor", "--port", sim.devicePath(), "--preloader", empty, "--json"});
    QCOMPARE(emptyDoctor.finish(), 3);
    const QJsonObject preLoader = emptyDoctor.check("pre-loader");
    QCOMPARE(preLoader.value("status").toString(), QStringLiteral("fail"));
    QVERIFY2(preLoader.value("detail").toString().contains("the file is empty"), emptyDoctor.output.constData());
    CliRun emptyProgram({"program", "Appl.sre", "--port", sim.devicePath(), "--preloader", empty, "--json"});
    QCOMPARE(emptyProgram.finish(), 2);
}

// No answer while another program holds the port: that program is named, not a reset.
void tst_cli::silentBoardOnAPortHeldOpen()
{
    SimulatedTarget sim({"--silent"});
    QVERIFY2(sim.start(), qPrintable(sim.errorText()));
    // A shell keeps the device open as a stray "cat" would, without reading it.
    QProcess shell;
    shell.start("sh", {"-c", "exec sleep 30 < \"$0\"", sim.devicePath()});
    QVERIFY(shell.waitForStarted());
    QTest::qWait(200);
    CliRun cli({"identify", "--port", sim.devicePath(), "--json"});
    QCOMPARE(cli.finish(), 4);
    const QString message = cli.message();
    shell.kill();
    shell.waitForFinished();
    // (The simulator keeps its side of the line open too, and is named as well.)
    QVERIFY2(message.contains("the port is open in another program, ") && message.contains("sleep (pid "),
             qPrintable(message));
}

QTEST_GUILESS_MAIN(tst_cli)
#include "tst_cli.moc"
