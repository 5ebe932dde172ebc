// zandor-cli's check on the three file formats, the chip the board answered in the JSON and
// the result line, and a refused identification byte named.

#include "CliRun.h"
#include "support/HexLine.h"
#include "support/TestFiles.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QtTest>

using namespace zandor::testing;

namespace {

QByteArray FileSha256(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex()
                                          : QByteArray();
}

}  // namespace

class tst_check_and_chips : public QObject {
    Q_OBJECT
private slots:
    void checkShowsTheImageOfEveryFormat_data();
    void checkShowsTheImageOfEveryFormat();
    void theImageDigestIsTheGangRunsGuard();
    void theChipThatAnsweredIsReported_data();
    void theChipThatAnsweredIsReported();

private:
    QTemporaryDir files_;
};

void tst_check_and_chips::checkShowsTheImageOfEveryFormat_data()
{
    // An Intel HEX file: 16 bytes at 2:0100 (segment 2000h, so 20100h), then 3 bytes at 21001h.
    const QString hex = files_.filePath("Appl.h86");
    QVERIFY(WriteTestFile(hex, QList<QByteArray>{HexLine(2, 0, QByteArray::fromHex("2000")),
                                                 HexLine(0, 0x0100, QByteArray(16, '\x5A')),
                                                 HexLine(0, 0x1001, QByteArray::fromHex("010203")), HexLine(1, 0, {}), {}}
                                   .join("\r\n")));

    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QStringList>("ranges");  // "first-last bytes"
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("warnings");
    using L = QStringList;
    QTest::newRow("S-record") << L{"Appl.sre"} << "S-record" << L{"00010000-00010BFF 3072"} << 38400 << 0;
    QTest::newRow("binary at an odd address") << L{"Appl.bin", "--offset", "10001", "--baud", "19200"} << "binary"
                                              << L{"00010001-00010BB8 3000"} << 19200 << 1;
    QTest::newRow("Intel HEX") << L{hex} << "Intel HEX" << L{"00020100-0002010F 16", "00021001-00021003 3"} << 38400 << 1;
}

void tst_check_and_chips::checkShowsTheImageOfEveryFormat()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, type);
    QFETCH(QStringList, ranges);
    QFETCH(int, baud);
    QFETCH(int, warnings);
    CliRun cli(QStringList{"check", "--json"} + arguments);
    QCOMPARE(cli.finish(), 0);
    const QJsonObject result = cli.result();
    QCOMPARE(result.value("type").toString(), type);
    QStringList shown;
    qint64 bytes = 0;
    for (const QJsonValue& value : result.value("ranges").toArray()) {
        const QJsonObject range = value.toObject();
        shown << QStringLiteral("%1-%2 %3").arg(range.value("first").toString(), range.value("last").toString())
                     .arg(range.value("bytes").toInteger());
        bytes += range.value("bytes").toInteger();
    }
    QCOMPARE(shown, ranges);
    QCOMPARE(result.value("data_bytes").toInteger(), bytes);
    QVERIFY(!result.value("records").toObject().isEmpty());
    const QString path = QDir(SamplesDir()).absoluteFilePath(arguments.first());
    QCOMPARE(result.value("sha256").toString().toLatin1(), FileSha256(path));
    QCOMPARE(result.value("image_sha256").toString().size(), 64);
    QVERIFY(result.value("image_sha256") != result.value("sha256"));
    QCOMPARE(result.value("baud").toInt(), baud);
    // Stop-and-wait at 10 bits a byte: at least the data bytes' time on the line.
    QVERIFY(result.value("estimated_seconds").toDouble() > bytes * 10.0 / baud);
    QCOMPARE(result.value("warnings").toArray().size(), warnings);
}

// The digest check shows is the one a gang's board process compares: a board process given
// it programs, one given another refuses before the board is touched.
void tst_check_and_chips::theImageDigestIsTheGangRunsGuard()
{
    CliRun check({"check", "--json", "Appl.sre"});
    QCOMPARE(check.finish(), 0);
    const QString digest = check.result().value("image_sha256").toString();
    SimulatedTarget sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorText()));
    for (const QString& expected : {QString(64, QLatin1Char('0')), digest}) {
        CliRun program({"program", "Appl.sre", "--port", sim.devicePath(), "--expect-image", expected, "--json"});
        QCOMPARE(program.finish(), expected == digest ? 0 : 2);
    }
    sim.stop();
    QCOMPARE(Logged(sim, "^id-sent"), 1);  // the refused run touched nothing
}

void tst_check_and_chips::theChipThatAnsweredIsReported_data()
{
    QTest::addColumn<QStringList>("simulator");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("chip");
    QTest::addColumn<QString>("message");
    using L = QStringList;
    QTest::newRow("program") << L{} << L{"program", "Appl.sre"} << 0 << "C5"
                             << "the board answered C5h (a C167 derivative such as the C167CR)";
    QTest::newRow("ST10F168 taken for a C167") << L{"--id", "D5"} << L{"identify"} << 4 << "D5"
                                               << "the board answered D5h, not as a C167 (C5h): that is a chip with "
                                                  "identification registers, such as the ST10F168: choose that CPU "
                                                  "type if this is one";
}

void tst_check_and_chips::theChipThatAnsweredIsReported()
{
    QFETCH(QStringList, simulator);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, chip);
    QFETCH(QString, message);
    SimulatedTarget sim(simulator);
    QVERIFY2(sim.start(), qPrintable(sim.errorText()));
    CliRun cli(arguments + QStringList{"--port", sim.devicePath(), "--json"});
    QCOMPARE(cli.finish(), exitCode);
    QJsonObject identified;
    for (const QJsonObject& line : cli.jsonLines())
        identified = line.value("event") == "step_end" && line.value("phase") == "identify" ? line : identified;
    QCOMPARE(identified.value("chip").toString(), chip);
    QVERIFY(!identified.value("chip_name").toString().isEmpty());
    QVERIFY2(cli.message().contains(message), cli.output.constData());
}

QTEST_GUILESS_MAIN(tst_check_and_chips)
#include "tst_check_and_chips.moc"
