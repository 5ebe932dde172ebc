// A board whose reset pin hangs on RTS and whose boot pin hangs on DTR: zandor-cli, with
// the simulated modem lines preloaded into it alone, runs the profile's ResetSequence
// before the zero byte, and the simulated board answers only when the sequence left it in
// its bootstrap mode.

#include "ChildEnvironment.h"
#include "CliRun.h"
#include "support/SampleImages.h"

#include <QtTest>

using namespace zandor::testing;

namespace {

// The preload library that answers the modem-line requests on the simulator's device.
QString PreloadLibrary()
{
    return qEnvironmentVariable("ZANDOR_MODEMLINES_LIB");
}


}  // namespace

class tst_reset_wiring : public QObject {
    Q_OBJECT
private slots:
    void resetSequenceDecidesTheBoardsMode_data();
    void resetSequenceDecidesTheBoardsMode();
};

void tst_reset_wiring::resetSequenceDecidesTheBoardsMode_data()
{
    QTest::addColumn<QByteArray>("profileKeys");  // ResetSequence and friends, as stored
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("logged");  // a line of the simulator's log

    // The DTR level comes from QSerialPort's own call at open, through the preloaded ioctl;
    // without a reset pulse the board goes on running its application.
    QTest::newRow("no sequence") << QByteArray("COMDTREnable=True\n") << 4 << "zero-unheard";
    QTest::newRow("boot asserted through the pulse")
        << QByteArray("ResetSequence=dtr=on rts=on wait=50 rts=off wait=100\n") << 0 << "reset-pulse";
    // The chip samples the boot pin as the reset ends: released before that, it starts the application.
    QTest::newRow("boot released before the pulse ends")
        << QByteArray("ResetSequence=dtr=on rts=on wait=50 dtr=off wait=10 rts=off wait=100\n") << 4
        << "zero-unheard";
}

void tst_reset_wiring::resetSequenceDecidesTheBoardsMode()
{
    QFETCH(QByteArray, profileKeys);
    QFETCH(int, exitCode);
    QFETCH(QString, logged);
    QVERIFY2(QFileInfo::exists(PreloadLibrary()), "ZANDOR_MODEMLINES_LIB names no library");

    QTemporaryDir modemDir;
    SimulatedTarget sim({"--reset-line", "rts", "--boot-line", "dtr", "--modem-dir", modemDir.path()});
    QVERIFY2(sim.start(), qPrintable(sim.errorText()));
    const QByteArray store = "[Profiles]\nBench=Bench\n\n[Bench]\nCOMSettings=\"38400,N,8,1\"\n"
                             "PreLoaderFile=PreLoad.bin\nC167LoaderFile=LoaderC167.sre\nProcessorCode=C167\n"
                             + profileKeys;
    int code = -1;
    QString errors;
    QByteArray output;
    {
        const ChildEnvironment preloaded({
            {"LD_PRELOAD", PreloadLibrary().toLocal8Bit()},
            {"ZANDOR_MODEMLINES_DEVICE", sim.devicePath().toLocal8Bit()},
            {"ZANDOR_MODEMLINES_CHANGES", modemDir.filePath("changes").toLocal8Bit()},
            {"ZANDOR_MODEMLINES_INPUTS", modemDir.filePath("inputs").toLocal8Bit()},
        });
        CliRun cli({"--port", sim.devicePath(), "--profile", "Bench", "--json", "program", "Appl.sre"}, store);
        code = cli.finish();
        errors = cli.errors();
        output = cli.output;
    }
    sim.stop();
    const QStringList log = sim.log();
    QVERIFY2(code == exitCode, qPrintable(QString::number(code) + " " + output + errors + log.join(" | ")));
    QVERIFY2(log.contains(logged), qPrintable(log.join(" | ")));
    // Every change the host made reached the board; the sequence's steps are among them.
    QVERIFY2(!log.filter(QRegularExpression("^lines dtr=1 rts=0")).isEmpty(), qPrintable(log.join(" | ")));
    if (exitCode == 0)
        QVERIFY(sim.memory() == ImageOfSRecordFile("Appl.sre"));
    else
        QVERIFY(log.filter(QRegularExpression("^id-sent")).isEmpty());
}

QTEST_GUILESS_MAIN(tst_reset_wiring)
#include "tst_reset_wiring.moc"
