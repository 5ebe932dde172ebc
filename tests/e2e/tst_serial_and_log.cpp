// zandor-cli's serial numbers, the log a factory audits, the reasons of a gang's failures
// and --skip-blank, against simulated boards.

#include "CliRun.h"
#include "support/SampleImages.h"
#include "support/TestFiles.h"

#include <QtTest>
#include <algorithm>

using namespace zandor::testing;

namespace {

constexpr quint32 kImageStart = 0x10000;
constexpr quint32 kSerialAt = 0x10010;  // four FFh bytes the firmware leaves for the number
constexpr int kRecordBytes = 32;

// An S3 line with its checksum.
QByteArray S3Line(quint32 address, const QByteArray& data)
{
    QByteArray body;
    body.append(char(data.size() + 5));
    for (int shift = 24; shift >= 0; shift -= 8)
        body.append(char(address >> shift));
    body.append(data);
    quint8 sum = 0;
    for (char c : body)
        sum += quint8(c);
    body.append(char(~sum));
    return "S3" + body.toHex().toUpper() + "\n";
}

// Three records: code with the serial number's placeholder, an erased-looking one, code.
QString WriteImage(const QTemporaryDir& dir)
{
    QByteArray first(kRecordBytes, '\x5A');
    first.replace(int(kSerialAt - kImageStart), 4, QByteArray(4, '\xFF'));
    const QByteArray text = S3Line(kImageStart, first) + S3Line(kImageStart + kRecordBytes, QByteArray(kRecordBytes, '\xFF')) +
                            S3Line(kImageStart + 2 * kRecordBytes, QByteArray(kRecordBytes, '\x3C')) + "S70500000000FA\n";
    const QString path = dir.filePath(QStringLiteral("serial.sre"));
    return WriteTestFile(path, text) ? path : QString();
}

// The u32le number a board holds at kSerialAt (erased bytes read FFh).
quint32 SerialOn(const SimulatedTarget& sim)
{
    const QMap<quint32, quint8> memory = sim.memory();
    quint32 number = 0;
    for (int i = 3; i >= 0; --i)
        number = (number << 8) | memory.value(kSerialAt + quint32(i), 0xFF);
    return number;
}

}  // namespace

class tst_serial_and_log : public QObject {
    Q_OBJECT
private slots:
    void gangBoardsGetUniqueNumbersAndARestartContinues();
    void serialCommandHandsOutNumbersOrStopsTheBoard();
    void logLinesCarryEveryKey();
    void skipBlankProgramsWhatTheFullRunPrograms();
    void refusedBeforeAnythingIsSent();
    void gangFailureSaysWhyInSummaryAndLog();

private:
    QTemporaryDir dir_;
};

void tst_serial_and_log::gangBoardsGetUniqueNumbersAndARestartContinues()
{
    const QString image = WriteImage(dir_);
    const QString counter = dir_.filePath("gang.counter");
    const QString log = dir_.filePath("gang.log");
    const QStringList serial{"--serial-at", "0x10010", "--serial-start", "1000", "--serial-file", counter, "--log", log};
    SimulatedTarget a, b, c;
    for (SimulatedTarget* sim : {&a, &b, &c})
        QVERIFY2(sim->start(), qPrintable(sim->errorText()));
    CliRun gang(QStringList{"program", image, "--json", "--ports",
                            a.devicePath() + "," + b.devicePath() + "," + c.devicePath()} + serial);
    QCOMPARE(gang.finish(), 0);
    QList<quint32> numbers;
    for (SimulatedTarget* sim : {&a, &b, &c}) {
        sim->stop();
        numbers << SerialOn(*sim);
    }
    std::sort(numbers.begin(), numbers.end());
    QCOMPARE(numbers, (QList<quint32>{1000, 1001, 1002}));
    QList<qint64> logged;
    for (const QJsonObject& line : LogLines(log))
        logged << line.value("serial").toInteger();
    std::sort(logged.begin(), logged.end());
    QCOMPARE(logged, (QList<qint64>{1000, 1001, 1002}));

    // A restarted command goes on where the counter stands, whatever --serial-start says.
    SimulatedTarget again;
    QVERIFY2(again.start(), qPrintable(again.errorText()));
    CliRun restart(QStringList{"program", image, "--json", "--port", again.devicePath()} + serial);
    QCOMPARE(restart.finish(), 0);
    again.stop();
    QCOMPARE(SerialOn(again), quint32(1003));
    QCOMPARE(restart.result().value("serial").toInteger(), 1003);
}

// The factory's allocator hands out the number it holds and keeps the next; once it fails,
// the board is stopped before its erase, and the log says why.
void tst_serial_and_log::serialCommandHandsOutNumbersOrStopsTheBoard()
{
    const QString image = WriteImage(dir_);
    const QString store = dir_.filePath("allocator"), log = dir_.filePath("command.log");
    QVERIFY(WriteTestFile(store, "500\n"));
    const QString good = QStringLiteral("n=$(cat '%1'); echo $((n + 1)) > '%1'; echo $n").arg(store);
    const QString failing = QStringLiteral("echo 'allocator offline' >&2; exit 3");
    for (const QString& command : {good, good, failing}) {
        SimulatedTarget sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        CliRun cli({"program", image, "--json", "--port", sim.devicePath(), "--serial-at", "10010h",
                    "--serial-command", command, "--log", log});
        QCOMPARE(cli.finish(), command == good ? 0 : 2);
        sim.stop();
        const QJsonObject line = LogLines(log).last();
        if (command == good) {
            QCOMPARE(SerialOn(sim), quint32(line.value("serial").toInteger()));
            continue;
        }
        QCOMPARE(Logged(sim, "^erase "), 0);
        QVERIFY2(cli.message().contains("failed (exit 3): allocator offline"), qPrintable(cli.message()));
        QCOMPARE(line.value("phase").toString(), QStringLiteral("serial"));
        QCOMPARE(line.value("message").toString(), cli.message());
        QVERIFY(line.value("serial").isNull());
    }
    const QList<QJsonObject> lines = LogLines(log);
    QCOMPARE(lines[0].value("serial").toInteger(), 500);
    QCOMPARE(lines[1].value("serial").toInteger(), 501);
}

void tst_serial_and_log::logLinesCarryEveryKey()
{
    const QString image = WriteImage(dir_);
    const QString log = dir_.filePath("keys.log");
    SimulatedTarget sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorText()));
    CliRun cli({"program", image, "--json", "--port", sim.devicePath(), "--log", log, "--operator", "Ana",
                "--serial-at", "10010", "--serial-start", "7", "--serial-file", dir_.filePath("keys.counter")});
    QCOMPARE(cli.finish(), 0);
    sim.stop();
    const QJsonObject line = LogLines(log).value(0);
    QStringList keys = line.keys();
    keys.sort();
    QStringList pinned{"time", "started", "host", "version", "operator", "port", "board", "result", "exit_code",
                       "seconds", "memory", "profile", "file", "size", "sha256", "image_sha256", "preloader_sha256",
                       "loader_sha256", "chip", "chip_name", "serial", "skipped_records", "phase", "bank", "record",
                       "address", "message"};
    pinned.sort();
    QCOMPARE(keys, pinned);
    QCOMPARE(line.value("operator").toString(), QStringLiteral("Ana"));
    QCOMPARE(line.value("chip").toString(), QStringLiteral("C5"));
    QCOMPARE(line.value("serial").toInteger(), 7);
    QCOMPARE(line.value("skipped_records").toInt(-1), 0);
    QVERIFY(line.value("message").isNull() && line.value("phase").isNull());
    // The image as programmed holds the number: not the file's digest, nor its image's.
    QCOMPARE(line.value("image_sha256").toString().size(), 64);
    QVERIFY(line.value("image_sha256") != line.value("sha256"));
    QCOMPARE(line.value("preloader_sha256").toString(),
             QString::fromLatin1(QCryptographicHash::hash(SampleBytes("PreLoad.bin"), QCryptographicHash::Sha256).toHex()));
    QVERIFY(QDateTime::fromString(line.value("started").toString(), Qt::ISODateWithMs).isValid());
}

void tst_serial_and_log::skipBlankProgramsWhatTheFullRunPrograms()
{
    const QString image = WriteImage(dir_);
    const QString log = dir_.filePath("skip.log");
    SimulatedTarget full, skipping;
    for (SimulatedTarget* sim : {&full, &skipping})
        QVERIFY2(sim->start(), qPrintable(sim->errorText()));
    CliRun sendAll({"program", image, "--json", "--port", full.devicePath()});
    CliRun skip({"program", image, "--json", "--port", skipping.devicePath(), "--skip-blank", "--log", log});
    QCOMPARE(sendAll.finish(), 0);
    QCOMPARE(skip.finish(), 0);
    full.stop();
    skipping.stop();
    QCOMPARE(skipping.dump(), full.dump());
    QCOMPARE(Logged(skipping, "^record "), Logged(full, "^record ") - 1);
    QCOMPARE(LogLines(log).value(0).value("skipped_records").toInt(), 1);
    QCOMPARE(skip.result().value("skipped_records").toInt(), 1);
}

// A serial number's place that holds code, not the placeholder, and blank records skipped on
// the data flash (its pages are rewritten whole) are refused before the board hears a byte.
void tst_serial_and_log::refusedBeforeAnythingIsSent()
{
    const QString image = WriteImage(dir_);
    SimulatedTarget sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorText()));
    CliRun wrongPlace({"program", image, "--port", sim.devicePath(), "--serial-at", "10000", "--serial-start", "1",
                       "--serial-file", dir_.filePath("never.counter")});
    QCOMPARE(wrongPlace.finish(), 2);
    CliRun dataFlash({"program", "ApplAT45D0x1.sre", "--port", sim.devicePath(), "--skip-blank", "--memory", "data"});
    QCOMPARE(dataFlash.finish(), 1);
    QVERIFY2(dataFlash.errors().contains("--skip-blank with --memory data"), qPrintable(dataFlash.errors()));
    sim.stop();
    QVERIFY(sim.log().filter(QRegularExpression("^id-sent")).isEmpty());  // not even the zero byte
    QVERIFY(!QFile::exists(dir_.filePath("never.counter")));  // no number taken
}

void tst_serial_and_log::gangFailureSaysWhyInSummaryAndLog()
{
    const QString log = dir_.filePath("failure.log");
    SimulatedTarget good, bad({"--refuse", "#@record:3"});
    for (SimulatedTarget* sim : {&good, &bad})
        QVERIFY2(sim->start(), qPrintable(sim->errorText()));
    CliRun gang({"program", "Appl.sre", "--ports", good.devicePath() + "," + bad.devicePath(), "--log", log});
    QCOMPARE(gang.finish(), 9);
    good.stop();
    bad.stop();
    QString why;
    for (const QJsonObject& line : LogLines(log)) {
        if (line.value("port").toString() == bad.devicePath()) {
            why = line.value("message").toString();
            QCOMPARE(line.value("phase").toString(), QStringLiteral("download"));
            QCOMPARE(line.value("record").toInt(), 3);
            QVERIFY(!line.value("address").isNull());
        } else {
            QVERIFY(line.value("message").isNull());
        }
    }
    QVERIFY2(why.contains("record 3"), qPrintable(why));
}

QTEST_GUILESS_MAIN(tst_serial_and_log)
#include "tst_serial_and_log.moc"
