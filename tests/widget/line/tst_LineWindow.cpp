// The production line window driving zandor-cli against simulated boards: tiles, totals,
// a port with no adapter, Stop, and refusals before anything is sent.

#include "line/LineWindow.h"
#include "line/PortTile.h"
#include "support/ProcessTree.h"
#include "support/SampleImages.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace zandor::line;
using namespace zandor::testing;

namespace {

constexpr int kRunLimitMs = 60000;

// Slow enough to be stopped mid-download: 98 records of Appl.sre at 40 ms each.
const QStringList kSlowBoard{"--ack-delay", "40"};

QString TileText(LineWindow& window, int tile, const char* label)
{
    auto* frame = window.findChild<PortTile*>(QStringLiteral("tile%1").arg(tile));
    return frame ? frame->findChild<QLabel*>(QLatin1String(label))->text() : QStringLiteral("<no tile %1>").arg(tile);
}

QString Total(LineWindow& window, const char* name)
{
    return window.findChild<QLabel*>(QLatin1String(name))->text();
}

void Click(LineWindow& window, const char* button)
{
    QTest::mouseClick(window.findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
}

LineSetup SetupFor(const QStringList& ports)
{
    LineSetup setup;
    setup.file = QStringLiteral("Appl.sre");
    setup.ports = ports;
    return setup;
}

}  // namespace

class tst_LineWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void threeBoardsOneRefusingARecordAndAPortWithoutAdapter();
    void stopEndsEveryBoardProcess();
    void refusalsBeforeAnythingIsSent_data();
    void refusalsBeforeAnythingIsSent();

private:
    QTemporaryDir config_;
};

void tst_LineWindow::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());  // never the user's profiles or set-up
    QVERIFY(QDir::setCurrent(SamplesDir()));  // the profile's loaders are found by relative names
}

void tst_LineWindow::threeBoardsOneRefusingARecordAndAPortWithoutAdapter()
{
    SimulatedTarget good1, bad({"--refuse", "?@record:5"}), good2;
    for (SimulatedTarget* sim : {&good1, &bad, &good2})
        QVERIFY2(sim->start(), qPrintable(sim->errorText()));
    QTemporaryDir gone;
    LineWindow window(SetupFor({good1.devicePath(), bad.devicePath(), good2.devicePath(), gone.filePath("ttyUSB7")}));
    window.show();
    Click(window, "startButton");
    QVERIFY(window.running());
    QTRY_VERIFY_WITH_TIMEOUT(!window.running(), kRunLimitMs);

    QCOMPARE(TileText(window, 1, "tileState"), QStringLiteral("Done"));
    QCOMPARE(TileText(window, 2, "tileState"), QStringLiteral("FAILED"));
    QCOMPARE(TileText(window, 3, "tileState"), QStringLiteral("Done"));
    QVERIFY2(TileText(window, 2, "tileDetail").contains(QStringLiteral("record 5")),
             qPrintable(TileText(window, 2, "tileDetail")));
    QCOMPARE(TileText(window, 2, "tileCounts"), QStringLiteral("done 0    failed 1"));
    QCOMPARE(TileText(window, 4, "tileState"), QStringLiteral("No adapter"));
    QVERIFY2(TileText(window, 4, "tileDetail").contains("does not exist"), qPrintable(TileText(window, 4, "tileDetail")));
    QCOMPARE(Total(window, "totalBoards"), QStringLiteral("3"));  // no board was there to fail on port 4
    QCOMPARE(Total(window, "totalPassed"), QStringLiteral("2"));
    QCOMPARE(Total(window, "totalFailed"), QStringLiteral("1"));
    QCOMPARE(Total(window, "totalYield"), QStringLiteral("67 %"));
    for (SimulatedTarget* sim : {&good1, &good2}) {
        sim->stop();
        QVERIFY(sim->memory() == ImageOfSRecordFile("Appl.sre"));
    }
}

void tst_LineWindow::stopEndsEveryBoardProcess()
{
    SimulatedTarget a(kSlowBoard), b(kSlowBoard), c(kSlowBoard);
    for (SimulatedTarget* sim : {&a, &b, &c})
        QVERIFY2(sim->start(), qPrintable(sim->errorText()));
    LineWindow window(SetupFor({a.devicePath(), b.devicePath(), c.devicePath()}));
    window.show();
    Click(window, "startButton");
    for (int tile = 1; tile <= 3; ++tile)
        QTRY_VERIFY_WITH_TIMEOUT(TileText(window, tile, "tileState").startsWith("Downloading"), kRunLimitMs);
    const QList<qint64> boardProcesses = ChildrenOf(window.gangProcessId());
    QCOMPARE(boardProcesses.size(), 3);

    Click(window, "stopButton");
    QTRY_VERIFY_WITH_TIMEOUT(!window.running(), 10000);
    for (qint64 pid : boardProcesses)
        QTRY_VERIFY2_WITH_TIMEOUT(ProcessGone(pid), qPrintable(QStringLiteral("board process %1").arg(pid)), 5000);
    for (int tile = 1; tile <= 3; ++tile)
        QCOMPARE(TileText(window, tile, "tileState"), QStringLiteral("Stopped"));
    QCOMPARE(Total(window, "totalPassed"), QStringLiteral("0"));
}

void tst_LineWindow::refusalsBeforeAnythingIsSent_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("withPort");
    QTest::addColumn<QString>("named");
    QTest::addColumn<bool>("cliStarted");  // the refusal is zandor-cli's, before any board

    QTest::newRow("no file") << QString() << true << "No application file" << false;
    QTest::newRow("missing file") << "Nope.sre" << true << "Nope.sre does not exist" << false;
    QTest::newRow("no port") << "Appl.sre" << false << "No port" << false;
    QTest::newRow("malformed file") << "MALFORMED" << true << "zandor-cli refused the run" << true;
}

void tst_LineWindow::refusalsBeforeAnythingIsSent()
{
    QFETCH(QString, file);
    QFETCH(bool, withPort);
    QFETCH(QString, named);
    QFETCH(bool, cliStarted);
    SimulatedTarget board;
    QVERIFY2(board.start(), qPrintable(board.errorText()));
    QTemporaryDir dir;
    if (file == QLatin1String("MALFORMED")) {
        file = dir.filePath("broken.sre");
        QVERIFY(WriteTestFile(file, "S1 this is no record\n"));
    }
    LineWindow window(SetupFor(withPort ? QStringList{board.devicePath()} : QStringList{}));
    auto* panelFile = window.findChild<QLineEdit*>("fileEdit");
    panelFile->setText(file);
    window.show();
    Click(window, "startButton");
    QCOMPARE(window.running(), cliStarted);
    QTRY_VERIFY_WITH_TIMEOUT(!window.running(), kRunLimitMs);
    auto* problem = window.findChild<QLabel*>("problemLabel");
    QVERIFY(problem->isVisible());
    QVERIFY2(problem->text().contains(named), qPrintable(problem->text()));
    board.stop();
    QVERIFY2(board.log().filter("record").isEmpty(), qPrintable(board.log().join('\n')));
    QVERIFY(board.memory().isEmpty());
}

QTEST_MAIN(tst_LineWindow)
#include "tst_LineWindow.moc"
