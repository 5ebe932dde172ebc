// Erase and application download against the simulated board, memory checked byte for byte.

#include "E2eSession.h"

#include <QtTest>

using namespace zandor;
using namespace zandor::testing;

namespace {

QStringList Banks(int count)
{
    QStringList lines;
    for (int bank = 0; bank < count; ++bank)
        lines.append(QStringLiteral("erase %1").arg(bank));
    return lines;
}

}  // namespace

class EraseAndDownload : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(QDir::setCurrent(SamplesDir())); }

    void cpuFlashErasedAndProgrammedFromSRecords()
    {
        E2eSession s;
        QString why;
        QVERIFY2(s.start(&why), qPrintable(why));
        QVERIFY(protocol::IdentifyTarget(s.target, profiles::CpuFlashMemory));

        QVERIFY(protocol::EraseFlash(s.target, profiles::CpuFlashMemory));
        QCOMPARE(s.reporter.statusText(), QStringLiteral("CPU: Erasing Bank 3 ..., Done"));

        QVERIFY(protocol::SendApplication(s.target, profiles::CpuFlashMemory));
        QCOMPARE(s.reporter.statusText(), QStringLiteral("CPU: Sending Appl.sre, Done"));
        QCOMPARE(s.reporter.percent, QStringLiteral("100%"));
        QVERIFY(s.reporter.events.isEmpty());

        s.sim.stop();
        QCOMPARE(s.logLines("erase"), Banks(4));
        // Every line of the file is one record, header and terminator included.
        const int lines = SampleBytes("Appl.sre").count("\r\n");
        QCOMPARE(s.logLines("record").size(), lines);
        QVERIFY(!s.sim.log().join('\n').contains("reply 3F"));
        const auto expected = ImageOfSRecordFile(QDir(SamplesDir()).filePath("Appl.sre"));
        QCOMPARE(expected.size(), 3072);
        QVERIFY(s.sim.memory() == expected);
    }

    void externalFlashErasesEightBanksAndTakesS2Records()
    {
        E2eSession s;
        QString why;
        QVERIFY2(s.start(&why), qPrintable(why));
        QVERIFY(protocol::IdentifyTarget(s.target, profiles::ExternalFlashMemory));
        QCOMPARE(s.reporter.statusText(),
                 QStringLiteral("AMD29F0x0: Sending Loader LoaderAMD29F0x0.sre Part 2 ..., Done"));

        QVERIFY(protocol::EraseFlash(s.target, profiles::ExternalFlashMemory));
        QCOMPARE(s.reporter.statusText(), QStringLiteral("AMD29F0x0: Erasing Bank 7 ..., Done"));
        QVERIFY(protocol::SendApplication(s.target, profiles::ExternalFlashMemory));
        QCOMPARE(s.reporter.statusText(), QStringLiteral("AMD29F0x0: Sending ApplAMD29F0x0.sre, Done"));
        QVERIFY(s.reporter.events.isEmpty());

        s.sim.stop();
        QCOMPARE(s.logLines("erase"), Banks(8));
        QVERIFY(s.sim.memory() ==
                ImageOfSRecordFile(QDir(SamplesDir()).filePath("ApplAMD29F0x0.sre")));
    }

    void binaryFileLandsAtItsOffset()
    {
        E2eSession s;
        s.profile.C167ApplFile = QStringLiteral("Appl.bin");
        s.profile.C167ApplFileOffset = QStringLiteral("00020000");
        QString why;
        QVERIFY2(s.start(&why), qPrintable(why));
        QVERIFY(protocol::IdentifyTarget(s.target, profiles::CpuFlashMemory));
        QVERIFY(protocol::EraseFlash(s.target, profiles::CpuFlashMemory));

        QVERIFY(protocol::SendApplication(s.target, profiles::CpuFlashMemory));
        QCOMPARE(s.reporter.statusText(), QStringLiteral("CPU: Sending Appl.bin, Done"));
        QVERIFY(s.reporter.events.isEmpty());

        s.sim.stop();
        const QByteArray file = SampleBytes("Appl.bin");
        QCOMPARE(file.size(), 3000);
        // 46 full records of 64 bytes and a last one of 56; no closing record.
        const QStringList records = s.logLines("record");
        QCOMPARE(records.size(), 47);
        QCOMPARE(records.first(), QStringLiteral("record 1 3 00020000 64"));
        QCOMPARE(records.last(), QStringLiteral("record 47 3 00020B80 56"));
        QVERIFY(s.sim.memory() == ImageOfBinary(file, 0x00020000));
    }

    void realLineSpeedIsAllowedFor()
    {
        // At 38400 baud the loader alone takes about 0.8 s on the line, longer than the
        // 0.5 s its acknowledgement is awaited: the wait must count from the last byte.
        E2eSession s({"--baud", "38400"});
        s.profile.COMSettings = QStringLiteral("38400,N,8,1");
        s.profile.C167ApplFile = QStringLiteral("Appl.bin");
        s.profile.C167ApplFileOffset = QStringLiteral("00000000");
        QString why;
        QVERIFY2(s.start(&why), qPrintable(why));

        QVERIFY(protocol::IdentifyTarget(s.target, profiles::CpuFlashMemory));
        QVERIFY(protocol::EraseFlash(s.target, profiles::CpuFlashMemory));
        QVERIFY(protocol::SendApplication(s.target, profiles::CpuFlashMemory));

        QVERIFY(s.reporter.events.isEmpty());
        QCOMPARE(s.reporter.statusText(), QStringLiteral("CPU: Sending Appl.bin, Done"));
        s.sim.stop();
        QVERIFY(s.sim.memory() == ImageOfBinary(SampleBytes("Appl.bin"), 0));
    }

    void strayBytesAheadOfTheReplyAreACommunicationError()
    {
        E2eSession s({"--stray", "0D0A"});
        QString why;
        QVERIFY2(s.start(&why), qPrintable(why));
        QVERIFY(protocol::IdentifyTarget(s.target, profiles::CpuFlashMemory));

        QVERIFY(!protocol::EraseFlash(s.target, profiles::CpuFlashMemory));

        QCOMPARE(s.reporter.events,
                 (QStringList{QStringLiteral("Communication Error D (\r\n*)"), "<not responding>"}));
        QCOMPARE(s.reporter.statusText(), QStringLiteral("CPU: Erasing Bank 0 ..., Error"));
        s.sim.stop();
        QCOMPARE(s.logLines("erase"), Banks(1));
    }

    void refusedEraseStopsAtThatBank()
    {
        E2eSession s({"--refuse", "!@erase:2"});
        QString why;
        QVERIFY2(s.start(&why), qPrintable(why));
        QVERIFY(protocol::IdentifyTarget(s.target, profiles::CpuFlashMemory));

        QVERIFY(!protocol::EraseFlash(s.target, profiles::CpuFlashMemory));

        QCOMPARE(s.reporter.events,
                 (QStringList{"Chip Erase Failed : (21 !)", "<not responding>"}));
        QCOMPARE(s.reporter.statusText(), QStringLiteral("CPU: Erasing Bank 2 ..., Error"));
        QVERIFY(EventLoopAlive());
        s.sim.stop();
        QCOMPARE(s.logLines("erase"), Banks(3));
    }

    void programFailureOnTheThirdRecordStopsTheDownload()
    {
        E2eSession s({"--refuse", "#@record:3"});
        s.profile.C167ApplFile = QStringLiteral("Appl.bin");
        s.profile.C167ApplFileOffset = QStringLiteral("00000000");
        QString why;
        QVERIFY2(s.start(&why), qPrintable(why));
        QVERIFY(protocol::IdentifyTarget(s.target, profiles::CpuFlashMemory));

        QVERIFY(!protocol::SendApplication(s.target, profiles::CpuFlashMemory));

        QCOMPARE(s.reporter.events,
                 (QStringList{"Chip Program Failure : (23 #)", "<not responding>"}));
        QCOMPARE(s.reporter.statusText(), QStringLiteral("CPU: Sending Appl.bin, Error"));
        QCOMPARE(s.reporter.percent, QStringLiteral("6%"));  // 192 of 3000 bytes
        QVERIFY(EventLoopAlive());
        s.sim.stop();
        QCOMPARE(s.logLines("record").size(), 3);  // nothing after the refused record
        QVERIFY(s.sim.memory() == ImageOfBinary(SampleBytes("Appl.bin").left(128), 0));
    }

    void lineClosedMidDownloadIsReported()
    {
        E2eSession s({"--close-after-records", "5"});
        s.profile.C167ApplFile = QStringLiteral("Appl.bin");
        s.profile.C167ApplFileOffset = QStringLiteral("00000000");
        QString why;
        QVERIFY2(s.start(&why), qPrintable(why));
        QVERIFY(protocol::IdentifyTarget(s.target, profiles::CpuFlashMemory));

        QVERIFY(!protocol::SendApplication(s.target, profiles::CpuFlashMemory));

        QCOMPARE(s.reporter.events, QStringList{"<not responding>"});
        QVERIFY(s.reporter.statusText().endsWith(QStringLiteral(", Error")));
        QVERIFY(EventLoopAlive());
        // The simulator ended by itself when it closed the line.
        s.sim.stop();
        QCOMPARE(s.logLines("record").size(), 5);
        QVERIFY(s.logLines("closed").size() == 1);
        QVERIFY(s.sim.memory() == ImageOfBinary(SampleBytes("Appl.bin").left(5 * 64), 0));
    }
};

QTEST_GUILESS_MAIN(EraseAndDownload)
#include "tst_erase_and_download.moc"
