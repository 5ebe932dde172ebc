// zandor-line as a kiosk starts it: ports, file and log on the command line, --start,
// three simulated boards programmed and a log line for each.

#include "support/SampleImages.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
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

QList<QJsonObject> LogRecords(const QString& path)
{
    QList<QJsonObject> records;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : file.readAll().split('\n'))
            if (!line.trimmed().isEmpty())
                records << QJsonDocument::fromJson(line).object();
    }
    return records;
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

    QProcess line;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", work.path());  // never the user's profiles or set-up
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    line.setProcessEnvironment(environment);
    line.setWorkingDirectory(SamplesDir());
    line.start(LinePath(), {"--ports", QStringList{a.devicePath(), b.devicePath(), c.devicePath()}.join(','),
                            "--file", "Appl.sre", "--log", log, "--start"});
    QVERIFY2(line.waitForStarted(), qPrintable(line.errorString()));
    QTRY_COMPARE_WITH_TIMEOUT(LogRecords(log).size(), 3, 60000);
    line.terminate();  // a window stays open after the run; the kiosk's session ends it
    QVERIFY(line.waitForFinished(10000));

    QSet<QString> ports;
    for (const QJsonObject& record : LogRecords(log)) {
        QCOMPARE(record.value("result").toString(), QStringLiteral("ok"));
        ports << record.value("port").toString();
    }
    QCOMPARE(ports, (QSet<QString>{a.devicePath(), b.devicePath(), c.devicePath()}));
    for (SimulatedTarget* sim : {&a, &b, &c}) {
        sim->stop();
        QVERIFY(sim->memory() == ImageOfSRecordFile("Appl.sre"));
    }
    // The set-up is remembered for the next start, beside the window's store.
    QSettings remembered(work.filePath("Zandor/zandor-line.ini"), QSettings::IniFormat);
    QCOMPARE(remembered.value("Setup/Log").toString(), log);
}

QTEST_GUILESS_MAIN(tst_line_kiosk)
#include "tst_line_kiosk.moc"
