// The new-profile dialog: naming, creating and refusing profiles.
#include "ManagerTestKit.h"
#include "profiles/dialogs/frmProfileNew.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace zandor;
using testkit::RunModal;

class ProfileNewDialogTest : public QObject {
    Q_OBJECT

private:
    struct Dialog {
        explicit Dialog(testkit::StoreFixture& store)
        {
            iconSource.setWindowIcon(QIcon(QStringLiteral(":/no/such/icon.png")));
            dialog = std::make_unique<profiles::frmProfileNew>(store.profiles, &iconSource);
        }
        QLineEdit* name() { return dialog->findChild<QLineEdit*>(QStringLiteral("txtName")); }
        QPushButton* button(const char* objectName)
        {
            return dialog->findChild<QPushButton*>(QLatin1String(objectName));
        }
        void run(const std::function<void()>& actions)
        {
            RunModal(*dialog, [this] { dialog->ShowModal(); }, actions);
        }
        QWidget iconSource;
        std::unique_ptr<profiles::frmProfileNew> dialog;
    };

private slots:
    void layoutAndCaptions()
    {
        testkit::StoreFixture store;
        Dialog d(store);
        QCOMPARE(d.dialog->windowTitle(), QStringLiteral("New Profile"));
        QVERIFY(d.name());
        QVERIFY(d.name()->text().isEmpty());
        QCOMPARE(d.button("cmdOK")->text(), QStringLiteral("OK"));
        QCOMPARE(d.button("cmdCancel")->text(), QStringLiteral("Cancel"));
        QVERIFY(d.button("cmdOK")->isDefault());
        // 1440 twips to the logical inch.
        const int dpiX = d.dialog->logicalDpiX();
        QCOMPARE(d.dialog->width(), (3240 * dpiX + 720) / 1440);
        QCOMPARE(d.button("cmdCancel")->x(), (1650 * dpiX + 720) / 1440);
    }

    void okCreatesFromDefaultAndKeepsTheNameForNextTime()
    {
        testkit::StoreFixture store;
        // An existing profile with its own values is reset from "Default".
        store.profiles.NewProfile(QStringLiteral("Bench"));
        store.settings->writeKey(QStringLiteral("Bench"), QStringLiteral("COMSettings"),
                                 QStringLiteral("9600,E,7,2"));
        Dialog d(store);

        d.run([&] {
            QTest::keyClicks(d.name(), QStringLiteral("Bench"));
            d.button("cmdOK")->click();
        });
        QVERIFY(!d.dialog->isVisible());
        QCOMPARE(store.stored(QStringLiteral("Bench"), QStringLiteral("COMSettings")),
                 QStringLiteral("38400,N,8,1"));
        QCOMPARE(store.stored(QStringLiteral("Profiles"), QStringLiteral("Bench")),
                 QStringLiteral("Bench"));

        // Shown again: the name typed before is still there; a new one replaces it.
        d.run([&] {
            QCOMPARE(d.name()->text(), QStringLiteral("Bench"));
            d.name()->setText(QStringLiteral("  "));
            d.button("cmdOK")->click();
        });
        QCOMPARE(store.stored(QStringLiteral("Profiles"), QStringLiteral("  ")), QStringLiteral("  "));
        QVERIFY(store.boxes.isEmpty());
    }

    void emptyNameAndCancelWriteNothing()
    {
        testkit::StoreFixture store;
        Dialog d(store);
        const auto before = store.settings->readSection(QStringLiteral("Profiles"));

        d.run([&] { d.button("cmdOK")->click(); });
        d.run([&] {
            QTest::keyClicks(d.name(), QStringLiteral("Lab"));
            d.button("cmdCancel")->click();
        });
        QCOMPARE(store.settings->readSection(QStringLiteral("Profiles")), before);
        QVERIFY(store.settings->readSection(QStringLiteral("Lab")).isEmpty());

        // Cancel keeps the typed text; the close box discards it.
        d.run([&] {
            QCOMPARE(d.name()->text(), QStringLiteral("Lab"));
            d.dialog->close();
        });
        d.run([&] { QVERIFY(d.name()->text().isEmpty()); });
        QCOMPARE(store.settings->readSection(QStringLiteral("Profiles")), before);
    }

    void reservedNamesAreRefused()
    {
        testkit::StoreFixture store;
        Dialog d(store);
        const auto before = store.settings->readSection(QStringLiteral("Profiles"));

        for (const QString& name : {QStringLiteral("general"), QStringLiteral("PROFILES"),
                                    QStringLiteral("Profiles"), QStringLiteral("General")}) {
            store.boxes.clear();
            bool stayedOpen = false;
            QString selected;
            d.run([&] {
                d.name()->setText(name);
                d.button("cmdOK")->click();
                stayedOpen = d.dialog->isVisible();
                selected = d.name()->selectedText();
                d.button("cmdCancel")->click();
            });
            QVERIFY2(stayedOpen, qPrintable(name));
            QCOMPARE(selected, name);
            QCOMPARE(store.boxes.size(), 1);
            QCOMPARE(store.boxes.at(0).caption, QStringLiteral("Varnex Controller Programming Tool"));
            QCOMPARE(store.boxes.at(0).icon, QMessageBox::Warning);
            QVERIFY(store.boxes.at(0).text.contains(name));
        }
        // The store's own sections are untouched: no profile keys were copied into them.
        QCOMPARE(store.settings->readSection(QStringLiteral("Profiles")), before);
        QCOMPARE(store.stored(QStringLiteral("General"), QStringLiteral("COMSettings")),
                 QStringLiteral("<missing>"));
    }
};

QTEST_MAIN(ProfileNewDialogTest)
#include "tst_ProfileNewDialog.moc"
