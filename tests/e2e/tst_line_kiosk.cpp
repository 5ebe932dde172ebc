// zandor-line as a kiosk starts it: ports, file and log on the command line, --start,
// three simulated boards programmed and a log line for each.

#include "CliRun.h"
#include "support/SampleImages.h"

#include <QCoreApplication>
#include <QtTest>

using namespace zandor::testing;

namespace {

// $ZANDOR_LINE, else the one in this build tree (tests/e2e/ is two levels below it).
QString LinePath()
{
    const QString fromEnvironment = qEnvironmentVariable("ZANDOR_LINE");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../../line/zandor-line"));
}

}  // namespace

class tst_line_kiosk : public QObject {
    Q_OBJECT
private slots:
    void startsAtOnceAndProgramsThreeBoards();
};

void tst_line_kiosk::startsAtOnceAndProgramsThreeBoards()
{
    SimulatedTarget a, b, c;
    for (SimulatedTarget* sim : {&a, &b, &c})
        QVERIFY2(sim->start(), qPrintable(sim->errorText()));
    QTemporaryDir work;
    const QString log = work.filePath("boards.jsonl");

    // On a settings store of its own, offscreen as the tests run.
    CliRun line({"--ports", QStringList{a.devicePath(), b.devicePath(), c.devicePath()}.join(','), "--file", "Appl.sre",
                 "--log", log, "--start"}, {}, LinePath());
    QVERIFY2(line.process.waitForStarted(), qPrintable(line.process.errorString()));
    QTRY_COMPARE_WITH_TIMEOUT(LogLines(log).size(), 3, 60000);
    line.process.terminate();  // a window stays open after the run; the kiosk's session ends it
    QVERIFY(line.process.waitForFinished(10000));

    QSet<QString> ports;
    for (const QJsonObject& record : LogLines(log)) {
        QCOMPARE(record.value("result").toString(), QStringLiteral("ok"));
        ports << record.value("port").toString();
    }
    QCOMPARE(ports, (QSet<QString>{a.devicePath(), b.devicePath(), c.devicePath()}));
    for (SimulatedTarget* sim : {&a, &b, &c}) {
        sim->stop();
        QVERIFY(sim->memory() == ImageOfSRecordFile("Appl.sre"));
    }
    // The set-up is remembered for the next start, beside the window's store.
    QSettings remembered(line.config.filePath("Zandor/zandor-line.ini"), QSettings::IniFormat);
    QCOMPARE(remembered.value("Setup/Log").toString(), log);
}

QTEST_GUILESS_MAIN(tst_line_kiosk)
#include "tst_line_kiosk.moc"
