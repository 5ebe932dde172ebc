// The profile manager: showing, editing, applying, creating and deleting profiles.
#include "ManagerTestKit.h"
#include "manager/frmProfileProperties.h"
#include "profiles/dialogs/frmProfileNew.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace zandor;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString kDefault = u"Default"_s;

// One profile manager over a fresh store holding `extra` besides "Default", the active
// profile loaded as at start-up.
struct Manager {
    explicit Manager(const QString& active = kDefault, const QStringList& extra = {}, QWidget* owner = nullptr)
    {
        for (const QString& name : extra)
            store.profiles.NewProfile(name);
        store.profiles.LoadProfile(active, host.current);
        dialog.reset(new manager::frmProfileProperties(host, store.profiles, &iconSource, owner));
    }
    template <typename T = QPushButton>
    T* get(const QString& name) { return dialog->findChild<T*>(name); }
    QString text(const QString& combo) { return get<QComboBox>(combo)->currentText(); }
    QLineEdit* field(const QString& name) { return get<QLineEdit>(name); }
    QListWidget* profiles() { return get<QListWidget>(u"lstProfiles"_s); }
    void click(const QString& button) { get(button)->click(); }
    bool enabled(const QString& button = u"cmdApply"_s) { return get(button)->isEnabled(); }
    QString stored(const QString& key, const QString& profile = kDefault) { return store.stored(profile, key); }
    void write(const QString& key, const QString& value) { store.settings.writeKey(kDefault, key, value); }
    void run(const std::function<void()>& actions) { testkit::RunModal(*dialog, [this] { dialog->ShowModal(); }, actions); }
    // A pick in a drop-down list, the way the keyboard makes it.
    void pickNext(const QString& combo) { QTest::keyClick(get<QComboBox>(combo), Qt::Key_Down); }

    testkit::StoreFixture store;
    testkit::FakeProfileHost host;
    QWidget iconSource;
    std::unique_ptr<manager::frmProfileProperties> dialog;
};

}  // namespace

class ProfileManagerTest : public QObject {
    Q_OBJECT

private slots:
    void okWithoutEditShowsAndCollectsUnchanged()
    {
        Manager m;
        m.host.current.COMPort = 9;  // not what is stored: OK must reload it
        m.store.settings.deleteKey(kDefault, u"IndBusyMask"_s);
        m.run([&] {
            const QStringList shown{m.text("cboCOMBaudRate"), m.text("cboCOMParity"), m.text("cboCOMDataBits"),
                                    m.text("cboCOMStopBits"), m.text("cboCOMPort"), m.text("cboCPU")};
            QCOMPARE(shown, (QStringList{u"38400"_s, u"None"_s, u"8"_s, u"1"_s, u"1"_s, u"C167"_s}));
            QCOMPARE(m.profiles()->currentItem()->text(), kDefault);
            QVERIFY(!m.enabled());
            m.click("cmdOK");
            QVERIFY(!m.dialog->isVisible());
        });
        QCOMPARE(m.stored("COMSettings"), u"38400,N,8,1"_s);
        QCOMPARE(m.stored("IndBusyMask"), QString());  // written again
        QCOMPARE(m.host.current.COMPort, qint16(1));
        QCOMPARE(m.host.captionUpdates, 1);
        QCOMPARE(m.host.portOpenings, 1);
    }

    void applyNormalisesParityForcesC168LoaderAndStaysOpenOnPortError()
    {
        Manager m;
        m.write("COMSettings", "19200,e,7,2");
        m.write("C168LoaderFile", "Mine.sre");
        m.host.portFails = true;
        m.run([&] {
            QCOMPARE(m.text("cboCOMParity"), u"Even"_s);
            QVERIFY(!m.enabled());
            m.pickNext("cboCPU");
            QVERIFY(m.enabled());
            m.click("cmdApply");
            QVERIFY(m.dialog->isVisible());
            QVERIFY(m.enabled());
        });
        QCOMPARE(m.store.boxes.size(), 1);
        QCOMPARE(m.host.portOpenings, 1);
        QCOMPARE((QStringList{m.stored("COMSettings"), m.stored("C168LoaderFile"), m.stored("ProcessorCode")}),
                 (QStringList{u"19200,E,7,2"_s, u"LoaderC168.sre"_s, u"ST10F168"_s}));
    }

    void editCancelReopenKeepsEditsAndTheMainWindowsSave()
    {
        Manager m;
        m.run([&] { m.pickNext("cboCOMBaudRate"); m.click("cmdCancel"); });
        QCOMPARE(m.stored("COMSettings"), u"38400,N,8,1"_s);
        QCOMPARE(m.host.portOpenings, 0);
        // The main window saves the application file meanwhile.
        m.host.current.C167ApplFile = u"/work/Release.sre"_s;
        m.store.profiles.SaveProfile(kDefault, m.host.current);
        m.run([&] {
            QCOMPARE(m.text("cboCOMBaudRate"), u"57600"_s);
            QCOMPARE(m.field("txtC167ApplFile")->text(), u"/work/Release.sre"_s);
            QVERIFY(m.enabled());
            m.click("cmdOK");
        });
        QCOMPARE((QStringList{m.stored("COMSettings"), m.stored("C167ApplFile")}),
                 (QStringList{u"57600,N,8,1"_s, u"/work/Release.sre"_s}));
        // The close box discards unapplied edits.
        m.run([&] { m.pickNext("cboCOMStopBits"); m.dialog->close(); });
        m.run([&] { QCOMPARE(m.text("cboCOMStopBits"), u"1"_s); QVERIFY(!m.enabled()); });
    }

    void sequencesAreStoredOrRefusedNamingTheStepWithTheDialogOpen()
    {
        struct Case {
            const char* name;
            QString run, reset;
            QString named;  // the refused step; empty: both are stored
        };
        const Case cases[] = {
            {"good sequences", u"dtr=on wait=50 dtr=off"_s, u"rts=on wait=20 rts=off"_s, {}},
            {"a run step that does not parse", u"dtr=on wiat=50"_s, {}, u"wiat=50"_s},
            {"a reset step that does not parse", {}, u"dtr=on rts=maybe"_s, u"rts=maybe"_s},
        };
        for (const Case& c : cases) {
            Manager m;
            m.run([&] {
                m.field(u"txtRunSequence"_s)->setText(c.run);
                m.field(u"txtResetSequence"_s)->setText(c.reset);
                QVERIFY(m.enabled());
                m.click("cmdOK");
                QCOMPARE(m.dialog->isVisible(), !c.named.isEmpty());
            });
            if (c.named.isEmpty()) {
                QVERIFY2(m.store.boxes.isEmpty(), c.name);
                QCOMPARE(m.stored(u"RunSequence"_s), c.run);
                QCOMPARE(m.stored(u"ResetSequence"_s), c.reset);
                QCOMPARE(m.host.portOpenings, 1);
            } else {
                QCOMPARE(m.store.boxes.size(), 1);
                QVERIFY2(m.store.boxes[0].text.contains(c.named), qPrintable(m.store.boxes[0].text));
                QCOMPARE(m.host.portOpenings, 0);  // nothing saved, the port left alone
                QCOMPARE(m.stored(u"RunSequence"_s), QString());
            }
        }
    }

    void keyFiltersAndTextThatDoesNotConvert()
    {
        Manager m;
        // The offset is longer than its field shows, and is not cut when left alone.
        QList<QPair<QString, QString>> expected{{"COMSettings", "38400,X,8,1"}, {"COMPort", "7"},
                                                {"COMInBufferSize", "4096"}, {"IndFailActLev", "1"},
                                                {"DS1994ApplFileOffset", "0001234567"}};
        for (const auto& [key, value] : expected)
            m.write(key, value);
        m.run([&] {
            QCOMPARE(m.get<QComboBox>(u"cboCOMParity"_s)->currentIndex(), -1);
            m.field("txtIndFailActLev")->clear();
            m.field("txtCOMInBuffersize")->setText(u"lots"_s);
            auto type = [&m](const QString& name, const QString& keys) {
                QTest::keyClicks(m.field(name), keys);
                return m.field(name)->text();
            };
            for (const char* name : {"txtIndBusyMask", "txtAT45D0x1ApplFileOffset", "txtIndBusyActLev"})
                m.field(name)->clear();
            QCOMPARE(type("txtIndBusyMask", "g- x7Cc123"), u"7Cc1"_s);
            QCOMPARE(type("txtAT45D0x1ApplFileOffset", "0g0ab12cd9"), u"00ab12cd"_s);
            QCOMPARE(type("txtIndBusyActLev", "a2 1"), u"1"_s);
            QTest::keyClick(m.field("txtIndBusyActLev"), Qt::Key_Backspace);
            QCOMPARE(type("txtIndBusyActLev", "20"), u"0"_s);
            m.click("cmdApply");
        });
        expected << qMakePair(u"IndBusyMask"_s, u"7Cc1"_s) << qMakePair(u"IndBusyActLev"_s, u"0"_s)
                 << qMakePair(u"AT45D0x1ApplFileOffset"_s, u"00ab12cd"_s);
        for (const auto& [key, value] : expected)
            QCOMPARE(m.stored(key), value);
    }

    void unlistedActiveProfileIsNeverSaved()
    {
        Manager m(u"Ghost"_s);  // never registered
        const auto before = m.store.section(u"Profiles"_s);
        m.run([&] {
            QVERIFY(m.profiles()->selectedItems().isEmpty());
            QVERIFY(!m.enabled("cmdDelete"));
            m.pickNext("cboCOMBaudRate");
            m.click("cmdApply");
            m.click("cmdOK");
            QVERIFY(!m.dialog->isVisible());
        });
        QCOMPARE(m.store.boxes.size(), 2);  // both refused
        QVERIFY(m.store.boxes.value(0).text.contains(u"Ghost"_s));
        QVERIFY(m.store.section(u"Ghost"_s).isEmpty());
        QVERIFY(m.store.section(QString()).isEmpty());
        QCOMPARE(m.store.section(u"Profiles"_s), before);
        QCOMPARE(m.host.portOpenings, 0);
    }

    void deleteRefusesDefaultAndSurvivesLosingTheActiveProfile()
    {
        Manager m(u"default"_s, {u"Bench"_s, u"Spare"_s});
        m.run([&] {
            QCOMPARE(m.profiles()->currentItem()->text(), kDefault);  // found without regard to case
            QVERIFY(!m.enabled("cmdDelete"));
            m.profiles()->setCurrentRow(2);  // "Spare"
            QVERIFY(m.enabled("cmdDelete") && m.enabled());  // not the active profile
            m.click("cmdDelete");
            QVERIFY(m.profiles()->findItems(u"Spare"_s, Qt::MatchExactly).isEmpty());
            QCOMPARE(m.profiles()->currentItem()->text(), kDefault);
            QVERIFY(!m.enabled());
            m.click("cmdDelete");
            m.dialog->close();
        });
        QCOMPARE(m.store.stored("Profiles", kDefault), kDefault);
        QCOMPARE(m.store.stored("Profiles", "Spare"), u"<missing>"_s);
        m.store.profiles.LoadProfile(u"Bench"_s, m.host.current);
        m.run([&] {
            QCOMPARE(m.profiles()->currentItem()->text(), u"Bench"_s);
            m.click("cmdDelete");  // the active profile: nothing stays selected
            QVERIFY(m.profiles()->selectedItems().isEmpty());
            QVERIFY(!m.enabled("cmdDelete"));
            m.click("cmdOK");
        });
        QVERIFY(m.store.section(u"Bench"_s).isEmpty());  // not re-created
        m.run([&] { QVERIFY(m.dialog->isVisible()); });
    }

    void deviceRowShowsAndAppliesTheSelectedPortsMapping()
    {
        Manager m;
        const QList<QPair<QString, QString>> others{{u"COM2"_s, u"/dev/ttyUSB7"_s},
                                                    {u"COM3"_s, u"/dev/ttyUSB3"_s},
                                                    {u"ProfileLastUsed"_s, u"Bench"_s}};
        for (const auto& [key, value] : others)
            m.store.settings.writeKey(u"General"_s, key, value);
        const auto keysBefore = m.store.section(u"General"_s).size();
        QString mappedAtReopen;
        m.host.whenOpening = [&] { mappedAtReopen = m.store.stored(u"General"_s, u"COM1"_s); };
        m.run([&] {
            auto* device = m.get<QComboBox>(u"cboCOMDevice"_s);
            // COM1 has no key: the usual device, with its description where the system has one.
            QVERIFY(device->currentText().startsWith(u"/dev/ttyS0"_s));
            QVERIFY(!m.enabled());
            device->lineEdit()->selectAll();
            QTest::keyClicks(device->lineEdit(), u"/dev/ttyACM9"_s);
            QVERIFY(m.enabled());
            m.click("cmdApply");
            QCOMPARE(device->currentText(), u"/dev/ttyACM9"_s);
            m.pickNext("cboCOMPort");
            QCOMPARE(device->currentText(), u"/dev/ttyUSB7"_s);
        });
        QCOMPARE(mappedAtReopen, u"/dev/ttyACM9"_s);
        for (const auto& [key, value] : others)
            QCOMPARE(m.store.stored(u"General"_s, key), value);
        QCOMPARE(m.store.section(u"General"_s).size(), keysBefore + 1);
    }

    void browseButtonsAskForAFile()
    {
        Manager m;
        QStringList asked;
        QString answer = u"/boards/LoaderNew.sre"_s;
        m.dialog->setOpenFileDialog([&](QWidget*, const QString& title, const QString& filter, const QString& last) {
            asked << title + u'|' + filter + u'|' + last;
            return answer;
        });
        m.run([&] {
            m.click("cmdC167LoaderFileBrowse");
            QCOMPARE(m.field("txtC167LoaderFile")->text(), answer);
            answer.clear();  // cancelled: the field keeps its text
            m.click("cmdDS1994ApplFileBrowse");
            QCOMPARE(m.field("txtDS1994ApplFile")->text(), u"ApplDS1994.sre"_s);
        });
        QCOMPARE(asked.value(1), u"Select a File|S-Record File (*.sre);;Binary File (*.bin)|/boards/LoaderNew.sre"_s);
    }

    void newProfilesAndDialogsGoWithTheirOwner()
    {
        auto* mainWindow = new QWidget;
        Manager m(kDefault, {}, mainWindow);
        m.run([&] {
            QTimer::singleShot(0, m.dialog.get(), [&m] {
                auto* dialog = m.dialog->findChild<profiles::frmProfileNew*>();
                dialog->findChild<QLineEdit*>(u"txtName"_s)->setText(u"Lab"_s);
                dialog->findChild<QPushButton*>(u"cmdOK"_s)->click();
            });
            m.click("cmdNew");
            QCOMPARE(m.profiles()->findItems(u"Lab"_s, Qt::MatchExactly).size(), 1);
            QCOMPARE(m.profiles()->currentItem()->text(), kDefault);
        });
        QCOMPARE(m.stored("C167ApplFile", "Lab"), u"Appl.sre"_s);
        QPointer<manager::frmProfileProperties> dialog = m.dialog.release();
        QPointer<profiles::frmProfileNew> newDialog = dialog->findChild<profiles::frmProfileNew*>();
        QVERIFY(newDialog);
        delete mainWindow;
        QVERIFY(!dialog && !newDialog);
    }
};

QTEST_MAIN(ProfileManagerTest)
#include "tst_ProfileManager.moc"
