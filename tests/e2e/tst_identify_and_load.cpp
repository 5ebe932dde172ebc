// Identification, pre-loader and loader download against the simulated board.

#include "E2eSession.h"

#include <QtTest>

using namespace zandor;
using namespace zandor::testing;

class IdentifyAndLoad : public QObject {
    Q_OBJECT
private slots:
    // Profiles name their files relative to the current folder, as users keep them.
    void initTestCase() { QVERIFY(QDir::setCurrent(SamplesDir())); }

    void c167IsIdentifiedAndGetsPreLoaderAndLoaderThenAReload()
    {
        E2eSession s;
        QCOMPARE(s.start(), QString());
        QCOMPARE(protocol::IdentifyTarget(s.target, profiles::CpuFlashMemory), protocol::Outcome::Done);
        QCOMPARE(s.reporter.statusHistory.first(), QStringLiteral("Sending PreLoader PreLoad.bin ..."));
        QCOMPARE(s.reporter.statusText(), QStringLiteral("C167: Sending Loader LoaderC167.sre Part 2 ..., Done"));
        // Another memory: the running loader takes the reload command and a new loader.
        QCOMPARE(protocol::SendLoader(s.target, profiles::ExternalFlashMemory, protocol::kReload), protocol::Outcome::Done);
        QCOMPARE(s.reporter.statusText(),
                 QStringLiteral("AMD29F0x0: Sending Loader LoaderAMD29F0x0.sre Part 2 ..., Done"));
        QVERIFY(s.reporter.events.isEmpty());
        s.sim.stop();
        QCOMPARE(s.logLines("id-sent"), QStringList{"id-sent C5"});
        QCOMPARE(s.logLines("preloader"), QStringList{"preloader 32"});
        QCOMPARE(s.logLines("loader"), (QStringList{"loader first LoaderC167", "loader reload LoaderAMD29F0x0"}));
        QCOMPARE(s.logLines("reload"), QStringList{"reload"});
        // Zero byte, 32 pre-loader bytes and 3072 loader bytes, then 4 reload bytes and 3072.
        QCOMPARE(s.logLines("traffic"), QStringList{"traffic in 6181 out 3"});
    }

    void st10f168AnswersD5AndGetsItsOwnLoader()
    {
        E2eSession s({"--id", "D5"});
        s.profile.ProcessorCode = QStringLiteral("ST10F168");
        QCOMPARE(s.start(), QString());
        QCOMPARE(protocol::IdentifyTarget(s.target, profiles::CpuFlashMemory), protocol::Outcome::Done);
        QVERIFY(s.reporter.events.isEmpty());
        QCOMPARE(s.reporter.statusText(), QStringLiteral("C168: Sending Loader LoaderC168.sre Part 2 ..., Done"));
        s.sim.stop();
        QCOMPARE(s.logLines("loader"), QStringList{"loader first LoaderC168"});
    }

    void wrongIdentificationByteIsExplainedAndNothingIsSent()
    {
        E2eSession s;  // a C167 (C5h) where the profile expects an ST10F168 (D5h)
        s.profile.ProcessorCode = QStringLiteral("ST10F168");
        QCOMPARE(s.start(), QString());
        QVERIFY(protocol::IdentifyTarget(s.target, profiles::CpuFlashMemory) != protocol::Outcome::Done);
        QCOMPARE(s.reporter.events.size(), 1);
        QVERIFY2(s.reporter.events[0].startsWith(QStringLiteral("Communication Error C5 (")),
                 qPrintable(s.reporter.events[0]));
        QCOMPARE(s.reporter.boxes[0].icon, app::MessageIcon::Exclamation);
        QVERIFY(EventLoopAlive());
        s.sim.stop();
        QVERIFY(s.logLines("preloader").isEmpty() && s.logLines("loader").isEmpty());
    }

    void silentTargetIsNotIdentifiedWithoutAnyMessage()
    {
        E2eSession s({"--silent"});
        QCOMPARE(s.start(), QString());
        QVERIFY(protocol::IdentifyTarget(s.target, profiles::CpuFlashMemory) != protocol::Outcome::Done);
        QVERIFY(s.reporter.events.isEmpty());
        QVERIFY(s.reporter.statusHistory.isEmpty());
        QVERIFY(EventLoopAlive());
        s.sim.stop();
        QVERIFY(s.logLines("id-sent").isEmpty());
    }
};

QTEST_GUILESS_MAIN(IdentifyAndLoad)
#include "tst_identify_and_load.moc"
