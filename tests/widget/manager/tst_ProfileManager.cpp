// The profile manager: showing, editing, applying, creating and deleting profiles.
#include "ManagerTestKit.h"
#include "manager/FileBrowsing.h"
#include "manager/frmProfileProperties.h"
#include "profiles/dialogs/frmProfileNew.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace zandor;
using testkit::RunModal;

namespace {

const QString kDefault = QStringLiteral("Default");

// One profile manager over a fresh store, the active profile loaded as at start-up.
struct Manager {
    explicit Manager(const QString& active = kDefault)
    {
        store.profiles.LoadProfile(active, host.current);
        store.warnings.clear();
        dialog = std::make_unique<manager::frmProfileProperties>(host, store.profiles, &iconSource);
    }

    template <typename T>
    T* find(const QString& name)
    {
        T* child = dialog->findChild<T*>(name);
        if (!child)
            qWarning("no control %s", qPrintable(name));
        return child;
    }
    QComboBox* list(const char* name) { return find<QComboBox>(QLatin1String(name)); }
    QLineEdit* field(const char* name) { return find<QLineEdit>(QLatin1String(name)); }
    QPushButton* button(const char* name) { return find<QPushButton>(QLatin1String(name)); }
    QListWidget* profileList() { return find<QListWidget>(QStringLiteral("lstProfiles")); }
    bool applyEnabled() { return button("cmdApply")->isEnabled(); }
    QString stored(const QString& key, const QString& profile = kDefault)
    {
        return store.stored(profile, key);
    }
    void run(const std::function<void()>& actions)
    {
        RunModal(*dialog, [this] { dialog->ShowModal(); }, actions);
    }
    // A pick in a drop-down list, the way the keyboard makes it.
    static void pickNext(QComboBox* list) { QTest::keyClick(list, Qt::Key_Down); }

    testkit::StoreFixture store;
    testkit::FakeProfileHost host;
    QWidget iconSource;
    std::unique_ptr<manager::frmProfileProperties> dialog;
};

}  // namespace

class ProfileManagerTest : public QObject {
    Q_OBJECT

private slots:
    void onlyTheGeneralPageIsReachable()
    {
        Manager m;
        m.run([&] {
            auto* tabs = m.find<QTabWidget>(QStringLiteral("Tab1"));
            QCOMPARE(tabs->count(), 1);
            QCOMPARE(tabs->tabText(0), QStringLiteral("&General"));
            QVERIFY(m.find<QFrame>(QStringLiteral("fraTab1_1"))->isVisible());
            for (int page = 2; page <= 6; ++page)
                QVERIFY(!m.find<QFrame>(QStringLiteral("fraTab1_%1").arg(page))->isVisible());
            QVERIFY(!m.find<QGroupBox>(QStringLiteral("fraOverview"))->isVisible());
            // The pages lie on the tab strip's client area.
            QVERIFY(tabs->geometry().contains(m.find<QFrame>(QStringLiteral("fraTab1_1"))->geometry()));
            QCOMPARE(m.dialog->windowTitle(), QStringLiteral("Profile Manager"));
            const int dpiX = m.dialog->logicalDpiX();
            QCOMPARE(m.button("cmdOK")->x(), (3300 * dpiX + 720) / 1440);
            QCOMPARE(m.button("cmdApply")->text(), QStringLiteral("&Apply"));
            QVERIFY(m.button("cmdOK")->isDefault());
            QVERIFY(!m.field("txtCOMInBuffersize")->isEnabled());
        });
    }

    void serialSettingsShowAndCollectUnchanged()
    {
        Manager m;
        m.host.current.COMPort = 9;  // not what is stored: OK must reload it
        m.store.settings->deleteKey(kDefault, QStringLiteral("IndBusyMask"));
        m.run([&] {
            QCOMPARE(m.list("cboCOMBaudRate")->currentText(), QStringLiteral("38400"));
            QCOMPARE(m.list("cboCOMParity")->currentText(), QStringLiteral("None"));
            QCOMPARE(m.list("cboCOMDataBits")->currentText(), QStringLiteral("8"));
            QCOMPARE(m.list("cboCOMStopBits")->currentText(), QStringLiteral("1"));
            QCOMPARE(m.list("cboCOMPort")->currentText(), QStringLiteral("1"));
            QCOMPARE(m.list("cboCPU")->currentText(), QStringLiteral("C167"));
            QCOMPARE(m.field("txtC167ApplFile")->text(), QStringLiteral("Appl.sre"));
            QCOMPARE(m.profileList()->currentItem()->text(), kDefault);
            QVERIFY(!m.applyEnabled());
            m.button("cmdOK")->click();  // no edit: OK still applies
        });
        QVERIFY(!m.dialog->isVisible());
        QCOMPARE(m.stored(QStringLiteral("COMSettings")), QStringLiteral("38400,N,8,1"));
        QCOMPARE(m.stored(QStringLiteral("IndBusyMask")), QString());  // written again
        QCOMPARE(m.host.current.COMPort, qint16(1));
        QCOMPARE(m.host.current.Name, kDefault);
        QCOMPARE(m.host.captionUpdates, 1);
        QCOMPARE(m.host.portOpenings, 1);
    }

    void parityLetterIsNormalisedAndC168LoaderForced()
    {
        Manager m;
        m.store.settings->writeKey(kDefault, QStringLiteral("COMSettings"), QStringLiteral("19200,e,7,2"));
        m.store.settings->writeKey(kDefault, QStringLiteral("C168LoaderFile"), QStringLiteral("Mine.sre"));
        m.run([&] {
            QCOMPARE(m.list("cboCOMParity")->currentText(), QStringLiteral("Even"));
            QCOMPARE(m.list("cboCOMBaudRate")->currentText(), QStringLiteral("19200"));
            // Changing only the processor type makes Apply available.
            QVERIFY(!m.applyEnabled());
            Manager::pickNext(m.list("cboCPU"));
            QCOMPARE(m.list("cboCPU")->currentText(), QStringLiteral("ST10F168"));
            QVERIFY(m.applyEnabled());
            m.button("cmdApply")->click();
            QVERIFY(m.dialog->isVisible());  // Apply keeps the dialog open...
            QVERIFY(m.applyEnabled());       // ...and Apply available
            m.button("cmdApply")->click();
        });
        QCOMPARE(m.stored(QStringLiteral("COMSettings")), QStringLiteral("19200,E,7,2"));
        QCOMPARE(m.stored(QStringLiteral("C168LoaderFile")), QStringLiteral("LoaderC168.sre"));
        QCOMPARE(m.stored(QStringLiteral("ProcessorCode")), QStringLiteral("ST10F168"));
        QCOMPARE(m.host.current.ProcessorCode, QStringLiteral("ST10F168"));
        QCOMPARE(m.host.portOpenings, 2);
    }

    void deleteIsRefusedForDefaultInAnyCase()
    {
        Manager m(QStringLiteral("default"));
        m.store.profiles.NewProfile(QStringLiteral("Bench"));
        m.run([&] {
            QListWidget* profiles = m.profileList();
            QCOMPARE(profiles->currentItem()->text(), kDefault);  // found without regard to case
            QVERIFY(!m.applyEnabled());
            QVERIFY(!m.button("cmdDelete")->isEnabled());
            const int bench = profiles->row(profiles->findItems(QStringLiteral("Bench"), Qt::MatchExactly).value(0));
            profiles->setCurrentRow(bench);
            QVERIFY(m.button("cmdDelete")->isEnabled());
            QVERIFY(m.applyEnabled());  // not the active profile
            profiles->setCurrentRow(profiles->row(profiles->findItems(kDefault, Qt::MatchExactly).value(0)));
            QVERIFY(!m.button("cmdDelete")->isEnabled());
            m.button("cmdDelete")->click();
        });
        QCOMPARE(m.store.stored(QStringLiteral("Profiles"), kDefault), kDefault);
    }

    void editCancelReopenKeepsEditsUnsaved()
    {
        Manager m;
        m.run([&] {
            Manager::pickNext(m.list("cboCOMBaudRate"));
            QCOMPARE(m.list("cboCOMBaudRate")->currentText(), QStringLiteral("57600"));
            QVERIFY(m.applyEnabled());
            m.button("cmdCancel")->click();
        });
        QCOMPARE(m.stored(QStringLiteral("COMSettings")), QStringLiteral("38400,N,8,1"));
        QCOMPARE(m.host.portOpenings, 0);
        m.run([&] {
            QCOMPARE(m.list("cboCOMBaudRate")->currentText(), QStringLiteral("57600"));
            QVERIFY(m.applyEnabled());
            m.button("cmdOK")->click();
        });
        QCOMPARE(m.stored(QStringLiteral("COMSettings")), QStringLiteral("57600,N,8,1"));
        QCOMPARE(m.host.current.COMSettings, QStringLiteral("57600,N,8,1"));

        // The close box discards unapplied edits: the next showing loads afresh.
        m.run([&] {
            Manager::pickNext(m.list("cboCOMStopBits"));
            m.dialog->close();
        });
        m.run([&] {
            QCOMPARE(m.list("cboCOMStopBits")->currentText(), QStringLiteral("1"));
            QVERIFY(!m.applyEnabled());
        });
        QCOMPARE(m.stored(QStringLiteral("COMSettings")), QStringLiteral("57600,N,8,1"));
    }

    void applicationFileSavedByMainWindowSurvivesOk()
    {
        Manager m;
        m.run([&] { m.button("cmdOK")->click(); });

        // The main window changes and saves the CPU flash application file meanwhile.
        m.host.current.C167ApplFile = QStringLiteral("/work/Release.sre");
        m.store.profiles.SaveProfile(m.host.current.Name, m.host.current);
        m.run([&] {
            QCOMPARE(m.field("txtC167ApplFile")->text(), QStringLiteral("/work/Release.sre"));
            QVERIFY(!m.applyEnabled());
            Manager::pickNext(m.list("cboCOMDataBits"));  // "8" is last: stays
            Manager::pickNext(m.list("cboCOMPort"));
            m.button("cmdCancel")->click();
        });

        // And once more while the dialog holds an unapplied edit.
        m.host.current.AMD29F0x0ApplFile = QStringLiteral("Ext.bin");
        m.store.profiles.SaveProfile(m.host.current.Name, m.host.current);
        m.run([&] {
            QCOMPARE(m.list("cboCOMPort")->currentText(), QStringLiteral("2"));
            QVERIFY(m.applyEnabled());
            m.button("cmdOK")->click();
        });
        QCOMPARE(m.stored(QStringLiteral("C167ApplFile")), QStringLiteral("/work/Release.sre"));
        QCOMPARE(m.stored(QStringLiteral("AMD29F0x0ApplFile")), QStringLiteral("Ext.bin"));
        QCOMPARE(m.stored(QStringLiteral("COMPort")), QStringLiteral("2"));
    }

    void textThatDoesNotConvertKeepsTheStoredValue()
    {
        Manager m;
        m.store.settings->writeKey(kDefault, QStringLiteral("COMSettings"), QStringLiteral("38400,X,8,1"));
        m.store.settings->writeKey(kDefault, QStringLiteral("COMPort"), QStringLiteral("7"));
        m.store.settings->writeKey(kDefault, QStringLiteral("COMInBufferSize"), QStringLiteral("4096"));
        m.store.settings->writeKey(kDefault, QStringLiteral("IndFailActLev"), QStringLiteral("1"));
        m.store.settings->writeKey(kDefault, QStringLiteral("IndBusyActLev"), QStringLiteral("255"));
        m.store.settings->writeKey(kDefault, QStringLiteral("DS1994ApplFileOffset"), QStringLiteral("0001234567"));
        m.run([&] {
            QCOMPARE(m.list("cboCOMParity")->currentIndex(), -1);  // never had a selection
            QCOMPARE(m.list("cboCOMPort")->currentIndex(), -1);
            m.field("txtIndFailActLev")->clear();
            m.field("txtCOMInBuffersize")->setText(QStringLiteral("lots"));
            m.button("cmdApply")->click();
        });
        QCOMPARE(m.stored(QStringLiteral("COMSettings")), QStringLiteral("38400,X,8,1"));
        QCOMPARE(m.stored(QStringLiteral("COMPort")), QStringLiteral("7"));
        QCOMPARE(m.stored(QStringLiteral("COMInBufferSize")), QStringLiteral("4096"));
        QCOMPARE(m.stored(QStringLiteral("IndFailActLev")), QStringLiteral("1"));
        // Values longer than their field shows are not cut when left alone.
        QCOMPARE(m.stored(QStringLiteral("IndBusyActLev")), QStringLiteral("255"));
        QCOMPARE(m.stored(QStringLiteral("DS1994ApplFileOffset")), QStringLiteral("0001234567"));
    }

    void unlistedActiveProfileIsNeverSaved()
    {
        Manager m(QStringLiteral("Ghost"));  // never registered
        const auto before = m.store.settings->readSection(QStringLiteral("Profiles"));
        m.run([&] {
            QVERIFY(m.profileList()->selectedItems().isEmpty());
            QVERIFY(!m.button("cmdDelete")->isEnabled());
            m.button("cmdOK")->click();
        });
        QVERIFY(!m.dialog->isVisible());
        QCOMPARE(m.store.boxes.size(), 1);
        QVERIFY(m.store.boxes.at(0).text.contains(QStringLiteral("Ghost")));
        QVERIFY(m.store.settings->readSection(QStringLiteral("Ghost")).isEmpty());
        QVERIFY(m.store.settings->readSection(QString()).isEmpty());
        QCOMPARE(m.store.settings->readSection(QStringLiteral("Profiles")), before);
        QCOMPARE(m.host.portOpenings, 0);
    }

    void deletingProfilesKeepsTheDialogWorking()
    {
        Manager m(QStringLiteral("Bench"));
        m.store.profiles.NewProfile(QStringLiteral("Bench"));
        m.store.profiles.NewProfile(QStringLiteral("Spare"));
        m.store.profiles.LoadProfile(QStringLiteral("Bench"), m.host.current);
        m.dialog = std::make_unique<manager::frmProfileProperties>(m.host, m.store.profiles, &m.iconSource);
        m.run([&] {
            QListWidget* profiles = m.profileList();
            // Another profile: the list is refilled and the active one selected again.
            profiles->setCurrentItem(profiles->findItems(QStringLiteral("Spare"), Qt::MatchExactly).value(0));
            m.button("cmdDelete")->click();
            QVERIFY(profiles->findItems(QStringLiteral("Spare"), Qt::MatchExactly).isEmpty());
            QCOMPARE(profiles->currentItem()->text(), QStringLiteral("Bench"));
            QVERIFY(!m.applyEnabled());
            // The active profile itself: nothing stays selected.
            m.button("cmdDelete")->click();
            QVERIFY(profiles->selectedItems().isEmpty());
            QVERIFY(!m.button("cmdDelete")->isEnabled());
            m.button("cmdOK")->click();
        });
        QCOMPARE(m.store.stored(QStringLiteral("Profiles"), QStringLiteral("Spare")), QStringLiteral("<missing>"));
        QVERIFY(m.store.settings->readSection(QStringLiteral("Spare")).isEmpty());
        QVERIFY(m.store.settings->readSection(QStringLiteral("Bench")).isEmpty());  // not re-created
        QCOMPARE(m.store.boxes.size(), 1);
        m.run([&] { m.button("cmdCancel")->click(); });  // still opens
        QCOMPARE(m.host.current.Name, QStringLiteral("Bench"));
    }

    void newProfileAppearsAndSelectionStaysActive()
    {
        Manager m;
        m.store.profiles.NewProfile(QStringLiteral("Bench"));
        m.store.settings->writeKey(QStringLiteral("Bench"), QStringLiteral("COMSettings"), QStringLiteral("9600,O,7,2"));
        m.run([&] {
            auto answer = [&m](const QString& name) {
                QTimer::singleShot(0, m.dialog.get(), [&m, name] {
                    auto* dialog = m.dialog->findChild<profiles::frmProfileNew*>();
                    QVERIFY(dialog && dialog->isVisible());
                    dialog->findChild<QLineEdit*>(QStringLiteral("txtName"))->setText(name);
                    dialog->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
                });
            };
            answer(QStringLiteral("Lab"));
            m.button("cmdNew")->click();
            QVERIFY(!m.profileList()->findItems(QStringLiteral("Lab"), Qt::MatchExactly).isEmpty());
            QCOMPARE(m.profileList()->currentItem()->text(), kDefault);
            answer(QStringLiteral("Bench"));  // an existing name: reset from "Default"
            m.button("cmdNew")->click();
            m.button("cmdCancel")->click();
        });
        QCOMPARE(m.stored(QStringLiteral("COMSettings"), QStringLiteral("Bench")), QStringLiteral("38400,N,8,1"));
        QCOMPARE(m.stored(QStringLiteral("C167ApplFile"), QStringLiteral("Lab")), QStringLiteral("Appl.sre"));
    }

    void keyFiltersAndLengthLimits()
    {
        Manager m;
        m.run([&] {
            QLineEdit* mask = m.field("txtIndBusyMask");
            mask->clear();
            QTest::keyClicks(mask, QStringLiteral("g- x7Cc"));
            QCOMPARE(mask->text(), QStringLiteral("7Cc"));
            QTest::keyClick(mask, Qt::Key_Backspace);
            QCOMPARE(mask->text(), QStringLiteral("7C"));
            QTest::keyClicks(mask, QStringLiteral("123"));
            QCOMPARE(mask->text(), QStringLiteral("7C12"));  // at most four characters

            QLineEdit* level = m.field("txtIndFailActLev");
            level->clear();
            QTest::keyClicks(level, QStringLiteral("a2 "));
            QVERIFY(level->text().isEmpty());
            QTest::keyClicks(level, QStringLiteral("10"));
            QCOMPARE(level->text(), QStringLiteral("1"));

            QLineEdit* offset = m.field("txtAT45D0x1ApplFileOffset");
            offset->clear();
            QTest::keyClicks(offset, QStringLiteral("00ab12cd9"));
            QCOMPARE(offset->text(), QStringLiteral("00ab12cd"));
            QVERIFY(m.applyEnabled());
            m.button("cmdApply")->click();
        });
        QCOMPARE(m.stored(QStringLiteral("IndBusyMask")), QStringLiteral("7C12"));
        QCOMPARE(m.stored(QStringLiteral("IndFailActLev")), QStringLiteral("1"));
        QCOMPARE(m.stored(QStringLiteral("AT45D0x1ApplFileOffset")), QStringLiteral("00ab12cd"));
    }

    void browseButtonsAskForAFile()
    {
        QCOMPARE(manager::ToQtFileFilter(QStringLiteral("S-Record File (*.sre)|*.sre|Binary File (*.bin)|*.bin")),
                 QStringLiteral("S-Record File (*.sre);;Binary File (*.bin)"));
        QCOMPARE(manager::ToQtFileFilter(QStringLiteral("All|*.sre;*.bin|Dangling")),
                 QStringLiteral("All (*.sre *.bin)"));

        Manager m;
        QStringList titles, filters, lastPaths;
        QString answer = QStringLiteral("/boards/LoaderNew.sre");
        m.dialog->setOpenFileDialog([&](QWidget*, const QString& title, const QString& filter,
                                        const QString& lastPath) {
            titles << title;
            filters << filter;
            lastPaths << lastPath;
            return answer;
        });
        m.run([&] {
            m.button("cmdC167LoaderFileBrowse")->click();
            QCOMPARE(m.field("txtC167LoaderFile")->text(), answer);
            QVERIFY(m.applyEnabled());
            answer.clear();  // cancelled: the field keeps its text
            m.button("cmdDS1994ApplFileBrowse")->click();
            QCOMPARE(m.field("txtDS1994ApplFile")->text(), QStringLiteral("ApplDS1994.sre"));
            m.button("cmdPreLoaderFileBrowse")->click();
        });
        QCOMPARE(titles, QStringList(3, QStringLiteral("Select a File")));
        QCOMPARE(filters, (QStringList{QStringLiteral("S-Record File (*.sre)"),
                                       QStringLiteral("S-Record File (*.sre);;Binary File (*.bin)"),
                                       QStringLiteral("Binary File (*.bin)")}));
        QCOMPARE(lastPaths.value(1), QStringLiteral("/boards/LoaderNew.sre"));
    }

    void dialogsGoWithTheirOwner()
    {
        testkit::StoreFixture store;
        testkit::FakeProfileHost host;
        store.profiles.LoadProfile(kDefault, host.current);
        auto* mainWindow = new QWidget;
        QPointer<manager::frmProfileProperties> dialog =
            new manager::frmProfileProperties(host, store.profiles, mainWindow, mainWindow);
        RunModal(*dialog, [&] { dialog->ShowModal(); }, [&] {
            QTimer::singleShot(0, dialog, [&] {
                dialog->findChild<profiles::frmProfileNew*>()->findChild<QPushButton*>(
                    QStringLiteral("cmdCancel"))->click();
            });
            dialog->findChild<QPushButton*>(QStringLiteral("cmdNew"))->click();
        });
        QPointer<profiles::frmProfileNew> newDialog = dialog->findChild<profiles::frmProfileNew*>();
        QVERIFY(newDialog);
        delete mainWindow;
        QVERIFY(!dialog);
        QVERIFY(!newDialog);
    }
};

QTEST_MAIN(ProfileManagerTest)
#include "tst_ProfileManager.moc"
