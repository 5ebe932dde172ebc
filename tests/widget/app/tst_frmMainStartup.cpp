// Start-up, shutdown, command line and port opening, against a fake port that never answers.

#include "MainWindowHarness.h"

#include "app/StartupCommands.h"
#include "profiles/ProfileStore.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

using namespace zandor;
using testing::MainWindowHarness;

class tst_frmMainStartup : public QObject {
    Q_OBJECT

private slots:
    void firstStartCreatesDefaultAndStaysUsable()
    {
        MainWindowHarness h;
        bool visibleAtBox = false;
        h.onBox = [&](const ui::MessageBoxRequest&) { visibleAtBox = h.window->isVisible(); };
        app::frmMain& w = h.start();

        QCOMPARE(w.windowTitle(), testing::kTitle + QStringLiteral(" using 'Default'"));
        QCOMPARE(h.stored("Profiles", "Default"), QStringLiteral("Default"));
        QCOMPARE(h.panel(2), QStringLiteral("V1.3, Build 3"));

        // No target: the one not-responding box, captioned like the window, shown on screen.
        QCOMPARE(h.boxTexts(), QStringList({testing::kNotResponding}));
        QCOMPARE(h.boxes[0].caption, w.windowTitle());
        QVERIFY(visibleAtBox);
        QVERIFY(w.isEnabled());
        QVERIFY(h.control<QRadioButton>("CpuFlash")->isChecked());
        // The monitor frame stays hidden whatever memory is chosen.
        for (const char* option : {"DataFlash", "ExternalFlash", "CpuFlash"}) {
            h.click(option);
            QVERIFY2(!h.control<QGroupBox>("fraMonitor")->isVisible(), option);
        }
    }

    void commandLineProfile()
    {
        const QPair<QString, QString> cases[] = {
            {"/p Workshop", "Workshop"}, {"PWorkshop", "Workshop"}, {"/Pone/Ptwo", "two"},
            {"/x /PWork shop  /y", "Work shop"}, {"/P", ""}, {"/P    ", ""},
            {"/x /debug", "unchanged"}};
        for (const auto& [commandLine, name] : cases) {
            profiles::ProfileData profile;
            profile.Name = QStringLiteral("unchanged");
            app::ParseCommandLine(commandLine, profile);
            QCOMPARE(profile.Name, name);
        }

        MainWindowHarness h;
        profiles::ProfileStore profiles(h.store);
        profiles.EnsureDefaultProfile();
        profiles.NewProfile(QStringLiteral("Workshop"));
        h.store.writeKey("Workshop", "C167ApplFile", "Workshop.sre");
        h.start(QStringLiteral("/PWorkshop /x"));
        QCOMPARE(h.window->windowTitle(), testing::kTitle + QStringLiteral(" using 'Workshop'"));
        QCOMPARE(h.fileField()->text(), QStringLiteral("Workshop.sre"));
        QVERIFY(h.fakePort.isOpen());
        QVERIFY(h.window->close());

        // An empty profile name falls back to the one remembered at the close.
        h.start(QStringLiteral("/P   "));
        QCOMPARE(h.window->currentProfile().Name, QStringLiteral("Workshop"));
        QVERIFY(h.window->close());

        // An unknown one warns under the caption of the moment, which does not name it yet.
        h.boxes.clear();
        h.start(QStringLiteral("/PNowhere"));
        QCOMPARE(h.boxes.value(0).text, "The Profile 'Nowhere' is not a valid Profile!");
        QCOMPARE(h.boxes[0].caption, testing::kTitle);
    }

    void portThatCannotOpenShowsItsBoxAndStaysUsable()
    {
        MainWindowHarness h;
        profiles::ProfileStore(h.store).EnsureDefaultProfile();
        h.store.writeKey("Default", "COMPort", "3");
        h.fakePort.setOpenRefused(true);
        app::frmMain& w = h.start();

        QCOMPARE(h.fakePort.lastSettings().portNumber, std::int16_t(3));
        QCOMPARE(h.boxTexts(), QStringList({testing::kCommPortError, testing::kNotResponding}));
        QCOMPARE(h.boxes[0].caption, testing::kTitle);
        // The port's reason (of the start-up's Reset, the second attempt), whole in the
        // tooltip when the panel is too narrow for it.
        QCOMPARE(h.panel(1), QStringLiteral("refused by the test, attempt 2"));
        QCOMPARE(h.control<QLabel>("staPanel1")->toolTip(), h.panel(1));
        QVERIFY(!h.fakePort.isOpen());
        QVERIFY(w.isEnabled());

        // Reset on the closed port: the not-responding box again, the commands still usable,
        // and the reason of this attempt.
        h.boxes.clear();
        h.click("cmdReset");
        QCOMPARE(h.boxTexts(), QStringList({testing::kNotResponding}));
        QCOMPARE(h.panel(1), QStringLiteral("refused by the test, attempt 3"));
        QVERIFY(h.control<QPushButton>("cmdReset")->isEnabled());
        QVERIFY(h.control<QPushButton>("cmdC167EraseProgram")->isEnabled());

        // The adapter is back: Reset opens the port by itself and reaches the target.
        h.boxes.clear();
        h.fakePort.setOpenRefused(false);
        h.fakePort.setResponder([](const QByteArray& written, testing::FakeSerialPort& port) {
            if (written == QByteArray(1, '\0'))
                port.queueReceived(QByteArray(1, char(0xC5)));
        });
        h.click("cmdReset");
        QVERIFY(h.fakePort.isOpen());
        QVERIFY(!h.boxTexts().contains(testing::kNotResponding));
        QVERIFY(!h.boxTexts().contains(testing::kCommPortError));
    }
};

QTEST_MAIN(tst_frmMainStartup)
#include "tst_frmMainStartup.moc"
