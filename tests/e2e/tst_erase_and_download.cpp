// Erase and application download against the simulated board, memory checked byte for byte.

#include "E2eSession.h"

#include <QtTest>

using namespace zandor;
using namespace zandor::testing;

static QStringList Banks(int count)
{
    QStringList lines;
    for (int bank = 0; bank < count; ++bank)
        lines.append(QStringLiteral("erase %1").arg(bank));
    return lines;
}

class EraseAndDownload : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(QDir::setCurrent(SamplesDir())); }

    void flashErasedAndProgrammedFromSRecords_data()
    {
        QTest::addColumn<int>("memory");
        QTest::addColumn<int>("banks");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("file");
        QTest::newRow("cpu, S3") << int(profiles::CpuFlashMemory) << 4 << "CPU" << "Appl.sre";
        QTest::newRow("external, S2") << int(profiles::ExternalFlashMemory) << 8 << "AMD29F0x0" << "ApplAMD29F0x0.sre";
    }
    void flashErasedAndProgrammedFromSRecords()
    {
        QFETCH(int, memory);
        QFETCH(int, banks);
        QFETCH(QString, name);
        QFETCH(QString, file);
        E2eSession s;
        QCOMPARE(s.start(), QString());
        QCOMPARE(protocol::IdentifyTarget(s.target, memory), protocol::Outcome::Done);
        QCOMPARE(protocol::EraseFlash(s.target, memory), protocol::Outcome::Done);
        QCOMPARE(s.reporter.statusText(), QStringLiteral("%1: Erasing Bank %2 ..., Done").arg(name).arg(banks - 1));
        QVERIFY(s.program(memory));
        QCOMPARE(s.reporter.statusText(), QStringLiteral("%1: Sending %2, Done").arg(name, file));
        QCOMPARE(s.reporter.percent, QStringLiteral("100%"));
        QVERIFY(s.reporter.events.isEmpty());
        s.sim.stop();
        QCOMPARE(s.logLines("erase"), Banks(banks));
        // Every line of the file is one record, header and terminator included.
        QCOMPARE(s.logLines("record").size(), SampleBytes(file).count("\r\n"));
        QVERIFY(s.sim.memory().size() >= 2048);  // both samples hold at least 2 KiB
        QVERIFY(s.sim.memory() == ImageOfSRecordFile(file));
    }

    void binaryFileLandsAtItsOffsetAtRealLineSpeed()
    {
        // At 38400 baud the loader alone takes about 0.8 s on the line, longer than the
        // 0.5 s its acknowledgement is awaited: the wait must count from the last byte.
        E2eSession s({"--baud", "38400"});
        s.profile.COMSettings = QStringLiteral("38400,N,8,1");
        s.useBinary(QStringLiteral("00020000"));
        QCOMPARE(s.start(), QString());
        QCOMPARE(protocol::IdentifyTarget(s.target, profiles::CpuFlashMemory), protocol::Outcome::Done);
        QCOMPARE(protocol::EraseFlash(s.target, profiles::CpuFlashMemory), protocol::Outcome::Done);
        QVERIFY(s.program(profiles::CpuFlashMemory));
        QVERIFY(s.reporter.events.isEmpty());
        QCOMPARE(s.reporter.statusText(), QStringLiteral("CPU: Sending Appl.bin, Done"));
        s.sim.stop();
        // 3000 bytes: 46 full records of 64 bytes and a last one of 56; no closing record.
        const QStringList records = s.logLines("record");
        QCOMPARE(records.size(), 47);
        QCOMPARE(records.first(), QStringLiteral("record 1 3 00020000 64"));
        QCOMPARE(records.last(), QStringLiteral("record 47 3 00020B80 56"));
        QVERIFY(s.sim.memory() == ImageOf(SampleBytes("Appl.bin"), 0x00020000));
    }

    void refusedEraseStopsAtThatBank()
    {
        E2eSession s({"--refuse", "!@erase:2"});
        QCOMPARE(s.start(), QString());
        QCOMPARE(protocol::IdentifyTarget(s.target, profiles::CpuFlashMemory), protocol::Outcome::Done);
        QCOMPARE(protocol::EraseFlash(s.target, profiles::CpuFlashMemory), protocol::Outcome::Refused);
        QCOMPARE(s.reporter.events, (QStringList{"Chip Erase Failed : (21 !)", "<not responding>"}));
        QCOMPARE(s.reporter.statusText(), QStringLiteral("CPU: Erasing Bank 2 ..., Error"));
        QVERIFY(EventLoopAlive());
        s.sim.stop();
        QCOMPARE(s.logLines("erase"), Banks(3));
    }

    void programFailureOnTheThirdRecordStopsTheDownload()
    {
        E2eSession s({"--refuse", "#@record:3"});
        s.useBinary(QStringLiteral("00000000"));
        QCOMPARE(s.start(), QString());
        QCOMPARE(protocol::IdentifyTarget(s.target, profiles::CpuFlashMemory), protocol::Outcome::Done);
        QVERIFY(!s.program(profiles::CpuFlashMemory));
        QCOMPARE(s.reporter.events, (QStringList{"Chip Program Failure : (23 #)", "<not responding>"}));
        QCOMPARE(s.reporter.statusText(), QStringLiteral("CPU: Sending Appl.bin, Error"));
        QCOMPARE(s.reporter.percent, QStringLiteral("6%"));  // 192 of 3000 bytes
        QVERIFY(EventLoopAlive());
        s.sim.stop();
        QCOMPARE(s.logLines("record").size(), 3);  // nothing after the refused record
        QVERIFY(s.sim.memory() == ImageOf(SampleBytes("Appl.bin").left(128), 0));
    }

    void lineClosedMidDownloadIsReported()
    {
        E2eSession s({"--close-after-records", "5"});
        s.useBinary(QStringLiteral("00000000"));
        QCOMPARE(s.start(), QString());
        QCOMPARE(protocol::IdentifyTarget(s.target, profiles::CpuFlashMemory), protocol::Outcome::Done);
        QVERIFY(!s.program(profiles::CpuFlashMemory));
        QCOMPARE(s.reporter.events, QStringList{"<not responding>"});
        QCOMPARE(s.reporter.statusText(), QStringLiteral("CPU: Sending Appl.bin, Error"));
        QVERIFY(EventLoopAlive());
        s.sim.stop();  // it ended by itself when it closed the line
        QCOMPARE(s.logLines("record").size(), 5);
        QCOMPARE(s.logLines("closed").size(), 1);
        QVERIFY(s.sim.memory() == ImageOf(SampleBytes("Appl.bin").left(5 * 64), 0));
    }
};

QTEST_GUILESS_MAIN(EraseAndDownload)
#include "tst_erase_and_download.moc"
