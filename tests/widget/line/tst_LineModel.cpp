// The pieces under the production line window: its command line, the arguments it gives
// zandor-cli, the remembered set-up, the tiles' names, and events the simulator cannot
// produce (a crashed board process, zandor-cli's waiting and serial-number events).

#include "line/LineOptions.h"
#include "line/LineTotals.h"
#include "line/PortNames.h"
#include "line/PortTally.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSettings>
#include <QtTest>

using namespace zandor::line;

Q_DECLARE_METATYPE(zandor::line::TileState)

namespace {

QList<QJsonObject> Events(const QByteArray& lines)
{
    QList<QJsonObject> events;
    for (const QByteArray& line : lines.split('\n'))
        if (!line.trimmed().isEmpty())
            events << QJsonDocument::fromJson(line).object();
    return events;
}

}  // namespace

class tst_LineModel : public QObject {
    Q_OBJECT
private slots:
    void kioskCommandLine_data();
    void kioskCommandLine();
    void optionsOnlyWhenFilled();
    void setupIsRememberedWhole();
    void tileNamesTellPortsApart();
    void eventsToTileState_data();
    void eventsToTileState();
    void crashedBoardIsThatBoardsFailure();
    void totals();
};

void tst_LineModel::kioskCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<bool>("start");

    QTest::newRow("kiosk") << QStringList{"--ports", "A, B,C", "--file", "x.sre", "--start"} << QString()
                           << QStringList{"A", "B", "C"} << true;
    QTest::newRow("missing value") << QStringList{"--file"} << "--file needs a value" << QStringList{"old"} << false;
}

void tst_LineModel::kioskCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    QFETCH(QStringList, ports);
    QFETCH(bool, start);
    LineSetup setup;
    setup.ports = QStringList{"old"};
    const LineSetup before = setup;
    const LineLaunch launch = ParseLineArguments(arguments, setup);
    QVERIFY2(error.isEmpty() ? launch.error.isEmpty() : launch.error.startsWith(error), qPrintable(launch.error));
    QCOMPARE(setup.ports, ports);
    QCOMPARE(launch.start, start);
    if (!error.isEmpty())
        QVERIFY(setup == before);  // a bad command line changes nothing
}

void tst_LineModel::optionsOnlyWhenFilled()
{
    LineSetup setup;
    setup.file = "Appl.sre";
    setup.ports = QStringList{"/dev/ttyUSB0", "/dev/ttyUSB1"};
    const QStringList plain = GangArguments(setup);
    QCOMPARE(plain, (QStringList{"program", "Appl.sre", "--ports", "/dev/ttyUSB0,/dev/ttyUSB1", "--memory", "cpu",
                                 "--json"}));
    setup.skipBlank = true;
    setup.serialCommand = "next-serial";
    setup.serialAt = "1FFF0";
    setup.operatorName = "Ana";
    const QStringList full = GangArguments(setup);
    for (const char* option : {"--skip-blank", "--serial-command", "--serial-at", "--operator"})
        QVERIFY2(full.contains(option), option);
    QCOMPARE(full.at(full.indexOf("--operator") + 1), QStringLiteral("Ana"));
    QVERIFY(!full.contains("--serial-file") && !full.contains("--loop") && !full.contains("--reset-sequence"));
}

void tst_LineModel::setupIsRememberedWhole()
{
    QTemporaryDir dir;
    LineSetup setup;
    setup.profile = "Board X";
    setup.file = "/srv/images/x, y.sre";
    setup.memory = "external";
    setup.ports = QStringList{"/dev/ttyUSB3"};  // one port: still a list when read back
    setup.loop = true;
    setup.resetSequence = "-dtr,rts,50,dtr";
    setup.serialFile = "/var/lib/line/serial";
    setup.serialAt = "1FFF0";
    setup.serialStart = "1000";
    setup.logFile = "/var/log/line.jsonl";
    {
        QSettings settings(dir.filePath("line.ini"), QSettings::IniFormat);
        SaveSetup(settings, setup);
    }
    QSettings settings(dir.filePath("line.ini"), QSettings::IniFormat);
    QVERIFY(LoadSetup(settings) == setup);
}

void tst_LineModel::tileNamesTellPortsApart()
{
    QCOMPARE(ShortPortNames({"/dev/ttyUSB0", "/dev/ttyUSB1"}), (QStringList{"ttyUSB0", "ttyUSB1"}));
    QCOMPARE(ShortPortNames({"/tmp/a/tty", "/tmp/b/tty", "COM3"}), (QStringList{"a/tty", "b/tty", "COM3"}));
}

void tst_LineModel::eventsToTileState_data()
{
    QTest::addColumn<QByteArray>("events");
    QTest::addColumn<TileState>("state");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("failed");

    QTest::newRow("erasing")
        << QByteArray(R"({"event":"step","phase":"erase","bank":2,"text":"CPU: Erasing Bank 2 ..."})")
        << TileState::Erasing << "Erasing bank 2" << 0 << 0;
    QTest::newRow("downloading")
        << QByteArray(R"({"event":"step","phase":"download"}
{"event":"progress","percent":45,"bytes":10,"total":20})")
        << TileState::Downloading << "Downloading 45 %" << 0 << 0;
    QTest::newRow("loop: one board ok, waiting for the next")
        << QByteArray(R"({"event":"board","board":1,"exit_code":0,"seconds":4.2,"serial":1041}
{"event":"waiting","for":"board","board":2})")
        << TileState::WaitingBoard << "Waiting for a board" << 1 << 0;
    QTest::newRow("adapter pulled out, waited for")
        << QByteArray(R"({"event":"waiting","for":"adapter","message":"port /dev/ttyUSB0: does not exist"})")
        << TileState::WaitingAdapter << "Waiting for the adapter" << 0 << 0;
    QTest::newRow("adapter vanished mid-loop, back by itself")
        << QByteArray(R"({"event":"board","board":1,"exit_code":0,"seconds":4.2}
{"event":"board","board":2,"exit_code":8,"seconds":1.0,"message":"the line failed"}
{"event":"waiting","for":"board","board":3}
{"event":"waiting","for":"adapter","message":"port /dev/ttyUSB0: does not exist"}
{"event":"board_detected","board":3})")
        << TileState::Identifying << "Identifying" << 1 << 1;
    QTest::newRow("stopped between loop boards")
        << QByteArray(R"({"event":"board","board":1,"exit_code":7,"seconds":1,"message":"record 5 refused"}
{"event":"waiting","for":"board"}
{"event":"result","exit_code":9,"boards":1,"ok":0,"failed":1})")
        << TileState::Stopped << "Stopped" << 0 << 1;
    QTest::newRow("refused record, reason from the step end")
        << QByteArray(R"({"event":"step","phase":"download"}
{"event":"step_end","outcome":"refused","message":"download: record 5 refused"}
{"event":"result","exit_code":7,"message":""})")
        << TileState::Failed << "FAILED" << 0 << 1;
}

void tst_LineModel::eventsToTileState()
{
    QFETCH(QByteArray, events);
    QFETCH(TileState, state);
    QFETCH(QString, line);
    QFETCH(int, done);
    QFETCH(int, failed);
    PortTally tally;
    for (const QJsonObject& event : Events(events))
        ApplyEvent(tally, event);
    QCOMPARE(int(tally.state), int(state));
    QCOMPARE(StateLine(tally), line);
    QCOMPARE(tally.done, done);
    QCOMPARE(tally.failed, failed);
    if (QTest::currentDataTag() == QByteArrayLiteral("loop: one board ok, waiting for the next"))
        QCOMPARE(tally.lastSerial, QStringLiteral("1041"));
    if (state == TileState::Failed)
        QCOMPARE(tally.detail, QStringLiteral("download: record 5 refused"));
    QVERIFY(!LookOf(state).words.isEmpty());  // never colour alone
}

void tst_LineModel::crashedBoardIsThatBoardsFailure()
{
    PortTally crashed, finished;
    for (PortTally* tally : {&crashed, &finished})
        ApplyEvent(*tally, QJsonObject{{"event", "step"}, {"phase", "erase"}, {"bank", 1}});
    ApplyEvent(finished, QJsonObject{{"event", "result"}, {"exit_code", 0}, {"seconds", 3.0}});
    const QJsonObject row{{"exit_code", -1}, {"message", "the board process ended abnormally"}};
    ApplySummaryRow(crashed, row);
    ApplySummaryRow(finished, row);  // its own result came first: the row changes nothing
    QCOMPARE(int(crashed.state), int(TileState::Failed));
    QCOMPARE(crashed.detail, QStringLiteral("the board process ended abnormally"));
    QCOMPARE(crashed.failed, 1);
    QCOMPARE(int(finished.state), int(TileState::Done));
    QCOMPARE(finished.done, 1);
    QCOMPARE(finished.failed, 0);
}

void tst_LineModel::totals()
{
    std::vector<PortTally> tallies(3);
    tallies[0].done = 10;
    tallies[1].done = 9;
    tallies[1].failed = 1;
    LineTotals early = ComputeTotals(tallies, 30'000);
    QCOMPARE(early.boards, 20);
    QCOMPARE(early.yield, QStringLiteral("95 %"));
    QCOMPARE(early.perHour, QStringLiteral("-"));  // half a minute says nothing of an hour
    LineTotals hour = ComputeTotals(tallies, 3'723'000);
    QCOMPARE(hour.elapsed, QStringLiteral("1:02:03"));
    QCOMPARE(hour.perHour, QStringLiteral("19"));
    QCOMPARE(ComputeTotals({}, 0).yield, QStringLiteral("-"));
    for (int count = 1; count <= 16; ++count)
        QVERIFY(TileColumns(count) >= 1 && (count + TileColumns(count) - 1) / TileColumns(count) <= 4);
}

QTEST_MAIN(tst_LineModel)
#include "tst_LineModel.moc"
