// Start-up, shutdown, command line, port opening and the window's layout, against a fake
// port that never answers.

#include "MainWindowHarness.h"

#include "app/MainBrowse.h"
#include "app/Twips.h"
#include "app/StartupCommands.h"
#include "profiles/ProfileStore.h"

#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

using namespace zandor;
using testing::MainWindowHarness;

class tst_frmMainStartup : public QObject {
    Q_OBJECT

private slots:
    void firstStartCreatesDefaultAndStaysUsable();
    void commandLineProfileIsRememberedAtExit();
    void commandLinePieces_data();
    void commandLinePieces();
    void unknownProfileWarnsUnderTheCaptionOfTheMoment();
    void portThatCannotOpenShowsBothBoxesAndStaysUsable();
    void portSettingsComeFromTheProfile();
    void layoutFollowsTheDesignedTwips();
    void monitorFrameStaysHidden();
    void fileFilterForTheDialog();
};

void tst_frmMainStartup::firstStartCreatesDefaultAndStaysUsable()
{
    MainWindowHarness h;
    bool visibleAtBox = false;
    h.onBox = [&](const app::MessageBoxRequest&) { visibleAtBox = h.window->isVisible(); };
    app::frmMain& w = h.start();

    QCOMPARE(w.windowTitle(), QStringLiteral("Varnex Controller Programming Tool using 'Default'"));
    QCOMPARE(h.stored("Profiles", "Default"), QStringLiteral("Default"));
    QCOMPARE(h.stored("Default", "COMSettings"), QStringLiteral("38400,N,8,1"));
    QCOMPARE(h.panel(2), QStringLiteral("V1.3, Build 3"));
    QCOMPARE(h.control<QLineEdit>("txtC167ApplFile")->text(), QStringLiteral("Appl.sre"));
    QVERIFY(!w.windowIcon().isNull());

    // No target: the one not-responding box, captioned like the window, shown on screen.
    QCOMPARE(h.boxes.size(), 1);
    QCOMPARE(h.boxes[0].text, testing::kNotResponding);
    QCOMPARE(h.boxes[0].caption, w.windowTitle());
    QCOMPARE(h.boxes[0].icon, QMessageBox::Warning);
    QVERIFY(visibleAtBox);

    QVERIFY(w.isEnabled());
    for (const char* name : {"cmdC167EraseProgram", "cmdReset", "CpuFlash", "ExternalFlash", "DataFlash"})
        QVERIFY2(h.control<QAbstractButton>(name)->isEnabled(), name);
    QVERIFY(h.control<QTabWidget>("Tab1")->isEnabled());
    QVERIFY(h.control<QMenu>("mnuProfile")->menuAction()->isEnabled());
    QVERIFY(h.control<QRadioButton>("CpuFlash")->isChecked());

    auto* timer = h.control<QTimer>("Timer1");
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 100);

    // The protocol's own boxes carry the application title; only the out-of-range box
    // comes without an icon.
    h.boxes.clear();
    w.messageBox(QStringLiteral("plain"), protocol::MessageIcon::None);
    w.messageBox(QStringLiteral("warned"), protocol::MessageIcon::Exclamation);
    QCOMPARE(h.boxes.size(), 2);
    QCOMPARE(h.boxes[0].caption, testing::kTitle);
    QCOMPARE(h.boxes[0].icon, QMessageBox::NoIcon);
    QCOMPARE(h.boxes[1].icon, QMessageBox::Warning);
    w.setStatusText(QStringLiteral("CPU: Erasing Bank 0 ..."));
    w.setPercentText(QStringLiteral("42%"));
    QCOMPARE(w.statusText(), h.panel(1));
    QCOMPARE(h.panel(1), QStringLiteral("CPU: Erasing Bank 0 ..."));
    QCOMPARE(h.panel(3), QStringLiteral("42%"));
}

void tst_frmMainStartup::commandLineProfileIsRememberedAtExit()
{
    MainWindowHarness h;
    profiles::ProfileStore profiles(h.store);
    profiles.EnsureDefaultProfile();
    profiles.NewProfile(QStringLiteral("Workshop"));
    h.store.writeKey("Workshop", "C167ApplFile", "Workshop.sre");

    h.start(QStringLiteral("/PWorkshop /x"));
    QCOMPARE(h.window->windowTitle(),
             QStringLiteral("Varnex Controller Programming Tool using 'Workshop'"));
    QCOMPARE(h.control<QLineEdit>("txtC167ApplFile")->text(), QStringLiteral("Workshop.sre"));
    QVERIFY(h.fakePort.isOpen());
    QVERIFY(h.closeWindow());
    QVERIFY(h.window->hasShutDown());
    QVERIFY(!h.fakePort.isOpen());
    QCOMPARE(h.stored("General", "ProfileLastUsed"), QStringLiteral("Workshop"));

    // The next start without a profile, or with an empty one, takes the remembered one.
    for (const QString& commandLine : {QString(), QStringLiteral("/P   ")}) {
        h.start(commandLine);
        QCOMPARE(h.window->currentProfile().Name, QStringLiteral("Workshop"));
        QVERIFY(h.closeWindow());
    }
    QCOMPARE(h.stored("General", "ProfileLastUsed"), QStringLiteral("Workshop"));
}

void tst_frmMainStartup::commandLinePieces_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("name");
    QTest::newRow("slash P") << "/PWorkshop" << "Workshop";
    QTest::newRow("lower p, blank") << "/p Workshop" << "Workshop";
    QTest::newRow("no slash") << "PWorkshop" << "Workshop";
    QTest::newRow("last wins") << "/Pone/Ptwo" << "two";
    QTest::newRow("other pieces ignored") << "/x /PWork shop  /y" << "Work shop";
    QTest::newRow("lone P") << "/P" << "";
    QTest::newRow("P and blanks") << "/P    " << "";
    QTest::newRow("nothing named") << "/x /debug" << "unchanged";
    QTest::newRow("empty") << "" << "unchanged";
    QTest::newRow("case kept") << "  /pMiXeD  " << "MiXeD";
}

void tst_frmMainStartup::commandLinePieces()
{
    QFETCH(QString, commandLine);
    QFETCH(QString, name);
    profiles::ProfileData profile;
    profile.Name = QStringLiteral("unchanged");
    app::ParseCommandLine(commandLine, profile);
    QCOMPARE(profile.Name, name);
}

void tst_frmMainStartup::unknownProfileWarnsUnderTheCaptionOfTheMoment()
{
    MainWindowHarness h;
    h.start(QStringLiteral("/PNowhere"));
    QVERIFY(h.boxes.size() >= 1);
    QCOMPARE(h.boxes[0].text, QStringLiteral("The Profile 'Nowhere' is not a valid Profile!"));
    QCOMPARE(h.boxes[0].caption, testing::kTitle);  // before the caption names a profile
    QCOMPARE(h.boxes[0].icon, QMessageBox::Warning);
    QCOMPARE(h.window->windowTitle(),
             QStringLiteral("Varnex Controller Programming Tool using 'Nowhere'"));
}

void tst_frmMainStartup::portThatCannotOpenShowsBothBoxesAndStaysUsable()
{
    MainWindowHarness h;
    h.fakePort.setOpenRefused(true);
    app::frmMain& w = h.start();

    QCOMPARE(h.boxTexts(), QStringList({testing::kCommPortError, testing::kNotResponding}));
    QCOMPARE(h.boxes[0].caption, testing::kTitle);
    QCOMPARE(h.boxes[0].icon, QMessageBox::Warning);
    QCOMPARE(h.boxes[0].text.split('\n').size(), 3);
    QVERIFY(!h.fakePort.isOpen());
    QVERIFY(w.isEnabled());
    QVERIFY(h.control<QPushButton>("cmdC167EraseProgram")->isEnabled());

    // Reset on the closed port: the not-responding box again, nothing from the port layer.
    h.boxes.clear();
    h.control<QPushButton>("cmdReset")->click();
    QCOMPARE(h.boxTexts(), QStringList({testing::kNotResponding}));
    QVERIFY(h.control<QPushButton>("cmdReset")->isEnabled());
}

void tst_frmMainStartup::portSettingsComeFromTheProfile()
{
    MainWindowHarness h;
    profiles::ProfileStore(h.store).EnsureDefaultProfile();
    h.store.writeKey("Default", "COMPort", "3");
    h.store.writeKey("Default", "COMDTREnable", "True");
    h.store.writeKey("Default", "COMSettings", "9600,E,7,2");
    h.store.writeKey("Default", "COMInBufferSize", "40000");
    h.store.writeKey("Default", "COMNullDiscard", "True");
    h.start();
    platform::PortSettings applied = h.fakePort.lastSettings();
    QCOMPARE(applied.portNumber, std::int16_t(3));
    QVERIFY(applied.dtrEnable);
    QCOMPARE(applied.handshaking, 0);
    QCOMPARE(applied.inBufferSize, 40000);  // the port decides what it can apply
    QCOMPARE(applied.outBufferSize, 2048);
    QVERIFY(applied.nullDiscard);
    QCOMPARE(applied.settings, QStringLiteral("9600,E,7,2"));

    // A stored true handshaking arrives as -1.
    profiles::ProfileData profile;
    profile.COMHandshaking = true;
    QCOMPARE(app::PortSettingsFromProfile(profile).handshaking, -1);
}

void tst_frmMainStartup::layoutFollowsTheDesignedTwips()
{
    MainWindowHarness h;
    app::frmMain& w = h.start();
    const app::Twips t(&w);

    auto* tab = h.control<QTabWidget>("Tab1");
    QCOMPARE(tab->geometry(), t.rect(150, 0, 8000 - 325, 4700 - 1550));
    QCOMPARE(tab->tabText(0), QStringLiteral("&C167"));
    auto* reset = h.control<QPushButton>("cmdReset");
    QCOMPARE(reset->geometry(), t.rect(150, 4700 - 1450, 855, 375));
    QVERIFY(reset->geometry().bottom() < w.centralWidget()->height());

    // The tab's frame covers the strip's client area, below the tabs.
    auto* tabFrame = h.control<QFrame>("fraTab1_1");
    QVERIFY(tabFrame->isVisible());
    QVERIFY(tab->geometry().contains(tabFrame->geometry()));
    QVERIFY(tabFrame->y() > tab->y() + tab->tabBar()->height() / 2);
    auto* program = h.control<QGroupBox>("fraC167Program");
    QCOMPARE(program->title(), QStringLiteral("Programming"));
    QCOMPARE(program->geometry(), t.rect(120, 0, 7095, 2655));
    QCOMPARE(h.control<QPushButton>("cmdC167EraseProgram")->text(),
             QStringLiteral("Er&ase && Program"));
    QCOMPARE(h.control<QPushButton>("cmdC167EraseProgram")->geometry(), t.rect(2520, 1800, 1515, 375));
    QCOMPARE(h.control<QLineEdit>("txtC167ApplFile")->geometry(), t.rect(360, 1320, 6075, 285));

    QCOMPARE(w.statusBar()->objectName(), QStringLiteral("sta"));
    QCOMPARE(w.statusBar()->height(), t.y(315));
    auto* file = h.control<QMenu>("mnuProfile");
    QCOMPARE(file->title(), QStringLiteral("&File"));
    QStringList items;
    for (QAction* action : file->actions())
        items.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(items, QStringList({"Prop&erties...", "-", "E&xit"}));

    // The monitor frame: right of the options, as tall as the programming frame, its
    // buttons right-aligned 150 twips from its right edge.
    auto* monitor = h.control<QGroupBox>("fraMonitor");
    QCOMPARE(monitor->x(), t.x(4500));
    QCOMPARE(monitor->height(), program->height());
    auto* read = h.control<QPushButton>("cmdMonitorRead");
    QCOMPARE(read->x() + read->width(), monitor->width() - t.x(150));
    QVERIFY(!read->isEnabled());
    QVERIFY(!h.control<QPushButton>("cmdMonitorWrite")->isEnabled());
    QCOMPARE(h.control<QLineEdit>("txtMonitorAddressFrom")->maxLength(), 6);
    QCOMPARE(h.control<QLineEdit>("txtMonitorAddressTo")->maxLength(), 6);
}

void tst_frmMainStartup::monitorFrameStaysHidden()
{
    MainWindowHarness h;
    h.start();
    auto* monitor = h.control<QGroupBox>("fraMonitor");
    QVERIFY(!monitor->isVisible());
    for (const char* option : {"DataFlash", "ExternalFlash", "CpuFlash"}) {
        h.control<QRadioButton>(option)->click();
        QVERIFY2(!monitor->isVisible(), option);
    }
    auto* tab = h.control<QTabWidget>("Tab1");
    QTest::mouseClick(tab->tabBar(), Qt::LeftButton, {}, tab->tabBar()->tabRect(0).center());
    QVERIFY(!monitor->isVisible());
    // It lies above the tab frame in the stacking order all the same.
    const QObjectList siblings = monitor->parent()->children();
    QVERIFY(siblings.indexOf(monitor) > siblings.indexOf(h.control<QFrame>("fraTab1_1")));
}

void tst_frmMainStartup::fileFilterForTheDialog()
{
    QCOMPARE(app::DialogFilterFromPairs(app::kApplFileFilter),
             QStringLiteral("S-Record File (*.sre);;Binary File (*.bin)"));
    QCOMPARE(app::DialogFilterFromPairs(QStringLiteral("Images|*.png;*.jpg|All|*")),
             QStringLiteral("Images (*.png *.jpg);;All (*)"));
    QCOMPARE(app::DialogFilterFromPairs(QString()), QString());
}

QTEST_MAIN(tst_frmMainStartup)
#include "tst_frmMainStartup.moc"
