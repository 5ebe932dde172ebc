// The new-profile dialog: naming, creating and refusing profiles.
#include "ManagerTestKit.h"
#include "profiles/dialogs/frmProfileNew.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace zandor;
using namespace Qt::Literals::StringLiterals;

namespace {

// A new-profile dialog over a fresh store.
struct Dialog : testkit::StoreFixture {
    QLineEdit* name() { return dialog.findChild<QLineEdit*>(u"txtName"_s); }
    void click(const QString& button) { dialog.findChild<QPushButton*>(button)->click(); }
    void run(const std::function<void()>& actions) { testkit::RunModal(dialog, [this] { dialog.ShowModal(); }, actions); }

    QWidget iconSource;
    profiles::frmProfileNew dialog{profiles, &iconSource};
};

}  // namespace

class ProfileNewDialogTest : public QObject {
    Q_OBJECT

private slots:
    void okCreatesFromDefaultWhileEmptyNameAndCancelWriteNothing()
    {
        Dialog d;
        d.profiles.NewProfile(u"Bench"_s);
        d.settings.writeKey(u"Bench"_s, u"COMSettings"_s, u"9600,E,7,2"_s);
        const auto profiles = d.section(u"Profiles"_s), bench = d.section(u"Bench"_s);
        d.run([&] { d.click("cmdOK"); });  // no name
        d.run([&] { QTest::keyClicks(d.name(), u"Bench"_s); d.click("cmdCancel"); });
        QCOMPARE(d.section(u"Profiles"_s), profiles);
        QCOMPARE(d.section(u"Bench"_s), bench);
        d.run([&] {
            QCOMPARE(d.name()->text(), u"Bench"_s);  // Cancel keeps the name
            d.click("cmdOK");
            QVERIFY(!d.dialog.isVisible());
        });
        QCOMPARE(d.stored("Bench", "COMSettings"), u"38400,N,8,1"_s);  // reset from "Default"
        d.run([&] { QCOMPARE(d.name()->text(), u"Bench"_s); d.dialog.close(); });
        d.run([&] { QVERIFY(d.name()->text().isEmpty()); });  // the close box discards it
        QVERIFY(d.boxes.isEmpty());
    }

    void reservedNamesAreRefused()
    {
        Dialog d;
        for (const QString& name : {u"general"_s, u"PROFILES"_s, u"Profiles"_s, u"General"_s}) {
            d.boxes.clear();
            d.run([&] {
                d.name()->setText(name);
                d.click("cmdOK");
                QVERIFY(d.dialog.isVisible());
                QCOMPARE(d.name()->selectedText(), name);
            });
            QCOMPARE(d.boxes.size(), 1);
            QCOMPARE(d.boxes.at(0).caption, u"Varnex Controller Programming Tool"_s);
            QVERIFY(d.boxes.at(0).text.contains(name));
        }
    }
};

QTEST_MAIN(ProfileNewDialogTest)
#include "tst_ProfileNewDialog.moc"
