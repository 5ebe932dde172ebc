// zandor-cli's check on the three file formats, the chip the board answered in the JSON and
// the result line, a refused identification byte named, and the doctor's serial format.

#include "CliRun.h"
#include "support/HexLine.h"
#include "support/TestFiles.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QtTest>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

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
    void doctorFailsAFormatOtherThan8N1();
    void noBoardListsWhatToCheck();

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
    const QJsonObject result = cli.jsonLines().last();
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
    const QString digest = check.jsonLines().last().value("image_sha256").toString();
    SimulatedTarget sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorText()));
    for (const QString& expected : {QString(64, QLatin1Char('0')), digest}) {
        CliRun program({"program", "Appl.sre", "--port", sim.devicePath(), "--expect-image", expected, "--json"});
        QCOMPARE(program.finish(), expected == digest ? 0 : 2);
    }
    sim.stop();
    QCOMPARE(sim.log().filter(QRegularExpression("^id-sent")).size(), 1);  // the refused run touched nothing
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
    for (const QJsonObject& line : cli.jsonLines()) {
        if (line.value("event") == "step_end" && line.value("phase") == "identify")
            identified = line;
    }
    QCOMPARE(identified.value("chip").toString(), chip);
    QVERIFY(!identified.value("chip_name").toString().isEmpty());
    QVERIFY2(cli.jsonLines().last().value("message").toString().contains(message), cli.output.constData());
}

// The port takes 7 data bits and a parity; the bootstrap loader does not. A pseudo-terminal
// refuses such settings, so the doctor is asked without one.
void tst_check_and_chips::doctorFailsAFormatOtherThan8N1()
{
    const struct {
        QByteArray settings;
        QString status;
    } cases[] = {{"38400,N,8,2", "pass"}, {"9600,E,7,1", "fail"}};  // each format's verdict: SerialFormatTest
    for (const auto& c : cases) {
        const QByteArray store = "[Profiles]\nBench=Bench\n\n[Bench]\nCOMSettings=\"" + c.settings
                                 + "\"\nProcessorCode=C167\n";
        CliRun doctor({"doctor", "--profile", "Bench", "--port", "/nonexistent/tty", "--json"}, store);
        QCOMPARE(doctor.finish(), 3);  // the device does not exist either way
        QJsonObject format;
        for (const QJsonValue& check : doctor.jsonLines().last().value("checks").toArray()) {
            if (check.toObject().value("name") == "format")
                format = check.toObject();
        }
        QCOMPARE(format.value("status").toString(), c.status);
        if (c.status == "fail")
            QVERIFY2(format.value("fix").toString().contains("8 data bits and no parity"), qPrintable(format.value("fix").toString()));
    }
}

void tst_check_and_chips::noBoardListsWhatToCheck()
{
    // A pseudo-terminal nobody answers on, and that no other program holds open (the
    // simulator would be named as the one taking the replies).
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    CliRun cli({"identify", "--port", QString::fromLatin1(::ptsname(master)), "--baud", "57600", "--json"});
    QCOMPARE(cli.finish(), 4);
    const QString message = cli.jsonLines().last().value("message").toString();
    QVERIFY2(message.startsWith("identify: no answer within 0.2 s: check, most likely first: the board reset into "
                                "bootstrap mode and the cable on this port; the baud rate, 57600: "),
             qPrintable(message));
    QVERIFY2(message.contains("try 19200 or 9600") && message.endsWith("our own zero byte coming back"), qPrintable(message));
    ::close(master);
}

QTEST_GUILESS_MAIN(tst_check_and_chips)
#include "tst_check_and_chips.moc"
