// Identification, pre-loader and loader download against the simulated board.

#include "E2eSession.h"

#include <QtTest>

using namespace zandor;
using namespace zandor::testing;

class IdentifyAndLoad : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // Profiles name their files relative to the current folder, as users keep them.
        QVERIFY(QDir::setCurrent(SamplesDir()));
    }

    void c167IsIdentifiedAndGetsPreLoaderAndLoader()
    {
        E2eSession s;
        QString why;
        QVERIFY2(s.start(&why), qPrintable(why));

        QVERIFY(protocol::IdentifyTarget(s.target, profiles::CpuFlashMemory));

        QVERIFY(s.reporter.events.isEmpty());
        QCOMPARE(s.reporter.statusHistory.first(), QStringLiteral("Sending PreLoader PreLoad.bin ..."));
        QCOMPARE(s.reporter.statusText(),
                 QStringLiteral("C167: Sending Loader LoaderC167.sre Part 2 ..., Done"));

        // Another memory: the running loader takes the reload command and a new loader.
        QVERIFY(protocol::SendLoader(s.target, profiles::ExternalFlashMemory, protocol::kReload));
        QVERIFY(s.reporter.events.isEmpty());
        QCOMPARE(s.reporter.statusText(),
                 QStringLiteral("AMD29F0x0: Sending Loader LoaderAMD29F0x0.sre Part 2 ..., Done"));

        s.sim.stop();
        QCOMPARE(s.logLines("id-sent"), QStringList{"id-sent C5"});
        QCOMPARE(s.logLines("preloader"), QStringList{"preloader 32"});
        QCOMPARE(s.logLines("loader"),
                 (QStringList{"loader first LoaderC167", "loader reload LoaderAMD29F0x0"}));
        QCOMPARE(s.logLines("reload"), QStringList{"reload"});
        // Zero byte + 32 pre-loader bytes + 3072 loader bytes, then 4 reload bytes + 3072:
        // nothing more, nothing less.
        QCOMPARE(s.logLines("traffic"), QStringList{"traffic in 6181 out 3"});
        QVERIFY(EventLoopAlive());
    }

    void st10f168AnswersD5AndGetsItsOwnLoader()
    {
        E2eSession s({"--id", "D5"});
        s.profile.ProcessorCode = QStringLiteral("ST10F168");
        QString why;
        QVERIFY2(s.start(&why), qPrintable(why));

        QVERIFY(protocol::IdentifyTarget(s.target, profiles::CpuFlashMemory));

        QVERIFY(s.reporter.events.isEmpty());
        QCOMPARE(s.reporter.statusText(),
                 QStringLiteral("C168: Sending Loader LoaderC168.sre Part 2 ..., Done"));
        s.sim.stop();
        QCOMPARE(s.logLines("loader"), QStringList{"loader first LoaderC168"});
    }

    void wrongIdentificationByteIsExplainedAndNothingIsSent()
    {
        // The board is a C167 (C5h) but the profile expects an ST10F168 (D5h).
        E2eSession s;
        s.profile.ProcessorCode = QStringLiteral("ST10F168");
        QString why;
        QVERIFY2(s.start(&why), qPrintable(why));

        QVERIFY(!protocol::IdentifyTarget(s.target, profiles::CpuFlashMemory));

        QCOMPARE(s.reporter.boxes.size(), 1);
        QVERIFY2(s.reporter.boxes[0].text.startsWith(QStringLiteral("Communication Error C5")),
                 qPrintable(s.reporter.boxes[0].text));
        QCOMPARE(s.reporter.boxes[0].icon, protocol::MessageIcon::Exclamation);
        QCOMPARE(s.reporter.events.size(), 1);  // no not-responding box from here
        QVERIFY(EventLoopAlive());
        s.sim.stop();
        QVERIFY(s.logLines("preloader").isEmpty());
        QVERIFY(s.logLines("loader").isEmpty());
    }

    void boardResetWhileALoaderRunsIsIdentifiedAgain()
    {
        // The user resets the board and presses Reset: the zero byte reaches a board that
        // is back in bootstrap mode.
        E2eSession s;
        QString why;
        QVERIFY2(s.start(&why), qPrintable(why));
        QVERIFY(protocol::IdentifyTarget(s.target, profiles::CpuFlashMemory));
        QVERIFY(protocol::IdentifyTarget(s.target, profiles::DataFlashMemory));
        QVERIFY(s.reporter.events.isEmpty());
        QCOMPARE(s.reporter.statusText(),
                 QStringLiteral("AT45D0x1: Sending Loader LoaderAT45D0x1.sre Part 2 ..., Done"));
        s.sim.stop();
        QCOMPARE(s.logLines("reset").size(), 1);
        QCOMPARE(s.logLines("loader"),
                 (QStringList{"loader first LoaderC167", "loader first LoaderAT45D0x1"}));
    }

    void silentTargetIsNotIdentifiedWithoutAnyMessage()
    {
        E2eSession s({"--silent"});
        QString why;
        QVERIFY2(s.start(&why), qPrintable(why));

        QVERIFY(!protocol::IdentifyTarget(s.target, profiles::CpuFlashMemory));

        QVERIFY(s.reporter.events.isEmpty());
        QCOMPARE(s.reporter.notResponding, 0);
        QVERIFY(s.reporter.statusHistory.isEmpty());
        QVERIFY(EventLoopAlive());
        s.sim.stop();
        QVERIFY(s.logLines("id-sent").isEmpty());
    }

    void loaderThatNeverAnnouncesItselfIsReported()
    {
        // The board expects a longer pre-loader, so it swallows part of the loader and
        // never starts it: the tool must say so, not claim success.
        E2eSession s({"--preloader-size", "64"});
        QString why;
        QVERIFY2(s.start(&why), qPrintable(why));

        QVERIFY(protocol::IdentifyTarget(s.target, profiles::CpuFlashMemory));

        QCOMPARE(s.reporter.events, QStringList{"<not responding>"});
        QCOMPARE(s.reporter.statusText(),
                 QStringLiteral("C167: Sending Loader LoaderC167.sre Part 2 ..., Error"));
        QVERIFY(EventLoopAlive());
    }
};

QTEST_GUILESS_MAIN(IdentifyAndLoad)
#include "tst_identify_and_load.moc"
