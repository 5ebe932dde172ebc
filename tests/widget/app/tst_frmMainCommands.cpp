// The main window's commands against a fake port: memory choice and file field, browsing,
// the file checks of Erase & Program, close requests under a running command, keyboard.

#include "MainWindowHarness.h"

#include "profiles/ProfileStore.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>

using namespace zandor;
using testing::MainWindowHarness;

namespace {

const QByteArray kIdentify(1, '\0');

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// No loader files lie in the test's folder: a loader download shows up as the box that
// names the missing loader file.
bool ShowsBoxNaming(const MainWindowHarness& h, const char* fileName)
{
    for (const QString& text : h.boxTexts())
        if (text.contains(QLatin1String(fileName)))
            return true;
    qWarning() << "boxes:" << h.boxTexts();
    return false;
}

// Runs the test in a folder of its own, the relative file names of the profile resolving there.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const QString& path) : before_(QDir::currentPath())
    {
        QDir::setCurrent(path);
    }
    ~CurrentDirectory() { QDir::setCurrent(before_); }

private:
    QString before_;
};

}  // namespace

class tst_frmMainCommands : public QObject {
    Q_OBJECT

private slots:
    void memoryChoiceEditsItsOwnFileField();
    void browseKeepsTheLastPathAndTheDirectory();
    void eraseProgramChecksTheSelectedMemorysFile();
    void malformedFileIsRefusedBeforeAnyErase();
    void closeRequestWaitsForTheRunningCommand();
    void closeRequestDuringStartUpWaitsForTheEventLoop();
    void accessKeysRunTheirCommands();
    void fileMenuByKeyboard();
    void hexadecimalAddressFields();
};

void tst_frmMainCommands::memoryChoiceEditsItsOwnFileField()
{
    MainWindowHarness h;
    CurrentDirectory here(h.dir.path());
    h.start();
    auto* field = h.control<QLineEdit>("txtC167ApplFile");

    h.control<QRadioButton>("DataFlash")->click();
    QCOMPARE(field->text(), QStringLiteral("ApplAT45D0x1.sre"));
    QVERIFY(ShowsBoxNaming(h, "LoaderAT45D0x1.sre"));  // the data flash loader was sent for  // the data flash loader's reload
    QVERIFY(h.control<QRadioButton>("DataFlash")->isEnabled());

    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("Mine.sre"));
    profiles::ProfileData& profile = h.window->currentProfile();
    QCOMPARE(profile.AT45D0x1ApplFile, QStringLiteral("Mine.sre"));
    QCOMPARE(profile.C167ApplFile, QStringLiteral("Appl.sre"));
    QCOMPARE(profile.AMD29F0x0ApplFile, QStringLiteral("ApplAMD29F0x0.sre"));
    // Typing alone does not reach the store ...
    QCOMPARE(h.stored("Default", "AT45D0x1ApplFile"), QStringLiteral("ApplAT45D0x1.sre"));

    // ... the next memory selection saves it, and each memory shows its own file.
    h.control<QRadioButton>("ExternalFlash")->click();
    QCOMPARE(field->text(), QStringLiteral("ApplAMD29F0x0.sre"));
    QCOMPARE(h.stored("Default", "AT45D0x1ApplFile"), QStringLiteral("Mine.sre"));
    h.control<QRadioButton>("DataFlash")->click();
    QCOMPARE(field->text(), QStringLiteral("Mine.sre"));
    h.control<QRadioButton>("CpuFlash")->click();
    QCOMPARE(field->text(), QStringLiteral("Appl.sre"));

    // Typed and never saved: lost when the program closes.
    field->setText(QStringLiteral("Unsaved.sre"));
    QVERIFY(h.closeWindow());
    QCOMPARE(h.stored("Default", "C167ApplFile"), QStringLiteral("Appl.sre"));
}

void tst_frmMainCommands::browseKeepsTheLastPathAndTheDirectory()
{
    MainWindowHarness h;
    QTemporaryDir elsewhere;
    CurrentDirectory here(h.dir.path());
    h.start();
    auto* field = h.control<QLineEdit>("txtC167ApplFile");

    QString answer;  // empty: the user cancels
    QString title;
    QString filter;
    h.window->setOpenFileDialog([&](QWidget*, const QString& t, const QString& f) {
        title = t;
        filter = f;
        QDir::setCurrent(elsewhere.path());  // the user browsed to another folder
        return answer;
    });
    auto* browse = h.control<QPushButton>("cmdC167ApplFileBrowse");

    browse->click();  // cancel before any choice: nothing changes
    QCOMPARE(title, QStringLiteral("Select a File"));
    QCOMPARE(filter, QStringLiteral("S-Record File (*.sre);;Binary File (*.bin)"));
    QCOMPARE(field->text(), QStringLiteral("Appl.sre"));
    QCOMPARE(QDir::currentPath(), QDir(h.dir.path()).canonicalPath());

    answer = elsewhere.filePath(QStringLiteral("Chosen.bin"));
    browse->click();
    QCOMPARE(field->text(), answer);
    QCOMPARE(h.window->currentProfile().C167ApplFile, answer);
    QCOMPARE(QDir::currentPath(), QDir(h.dir.path()).canonicalPath());

    // A later cancel puts the last chosen path in again, here into another memory's field.
    h.control<QRadioButton>("DataFlash")->click();
    answer.clear();
    browse->click();
    QCOMPARE(field->text(), elsewhere.filePath(QStringLiteral("Chosen.bin")));
    QCOMPARE(h.window->currentProfile().AT45D0x1ApplFile, field->text());
}

void tst_frmMainCommands::eraseProgramChecksTheSelectedMemorysFile()
{
    MainWindowHarness h;
    CurrentDirectory here(h.dir.path());
    WriteFile(QStringLiteral("Appl.sre"), "S00600004844521B\r\nS9030000FC\r\n");
    h.start();
    auto* erase = h.control<QPushButton>("cmdC167EraseProgram");

    // External flash: its own file is missing, although the CPU flash file exists.
    h.control<QRadioButton>("ExternalFlash")->click();
    h.window->currentProfile().C167ApplFile = QStringLiteral("Changed.sre");  // not saved
    h.boxes.clear();
    h.fakePort.clearWrites();
    erase->click();
    QCOMPARE(h.boxTexts(), QStringList({testing::kFileError}));
    QCOMPARE(h.boxes[0].caption, testing::kTitle);
    QCOMPARE(h.boxes[0].icon, QMessageBox::Warning);
    QVERIFY(h.fakePort.writes().isEmpty());
    QCOMPARE(h.stored("Default", "C167ApplFile"), QStringLiteral("Appl.sre"));

    // An empty name is no file either.
    h.control<QLineEdit>("txtC167ApplFile")->clear();
    h.boxes.clear();
    erase->click();
    QCOMPARE(h.boxTexts(), QStringList({testing::kFileError}));

    // CPU flash: the file opens, the profile is saved and the erase is tried on the port.
    h.control<QRadioButton>("CpuFlash")->click();
    h.control<QLineEdit>("txtC167ApplFile")->setText(QStringLiteral("Appl.sre"));
    h.boxes.clear();
    h.fakePort.clearWrites();
    erase->click();
    QVERIFY(!h.boxTexts().contains(testing::kFileError));
    QVERIFY(h.fakePort.allWritten().contains("SE\x03"));
    QVERIFY(erase->isEnabled());
    QVERIFY(h.window->isEnabled());
}

void tst_frmMainCommands::malformedFileIsRefusedBeforeAnyErase()
{
    MainWindowHarness h;
    CurrentDirectory here(h.dir.path());
    WriteFile(QStringLiteral("Appl.sre"), "S00600004844521B\r\nS1130000FFFF\r\n");
    h.start();
    h.boxes.clear();
    h.fakePort.clearWrites();
    h.control<QPushButton>("cmdC167EraseProgram")->click();
    QCOMPARE(h.boxes.size(), 1);
    QVERIFY2(h.boxes[0].text.contains(QStringLiteral("Appl.sre")), qPrintable(h.boxes[0].text));
    QVERIFY(!h.fakePort.allWritten().contains("SE"));
    QVERIFY(h.window->isEnabled());
}

void tst_frmMainCommands::closeRequestWaitsForTheRunningCommand()
{
    MainWindowHarness h;
    h.start(QStringLiteral("/PDefault"));
    int requests = 0;
    bool closedInWait = true;
    bool portOpenInWait = false;
    h.fakePump.onWait = [&](qint64) {
        if (requests++ > 0)
            return;
        closedInWait = h.window->close();  // the close box of the disabled window
        portOpenInWait = h.fakePort.isOpen();
    };
    h.control<QPushButton>("cmdReset")->click();
    QCOMPARE(requests > 0, true);
    QVERIFY(!closedInWait);
    QVERIFY(portOpenInWait);
    QVERIFY(!h.window->hasShutDown());

    // Once the command has ended the close goes through, with the normal shutdown.
    h.fakePump.onWait = {};
    QCoreApplication::processEvents();
    QVERIFY(h.window->hasShutDown());
    QVERIFY(!h.window->isVisible());
    QVERIFY(!h.fakePort.isOpen());
    QCOMPARE(h.stored("General", "ProfileLastUsed"), QStringLiteral("Default"));
}

void tst_frmMainCommands::closeRequestDuringStartUpWaitsForTheEventLoop()
{
    MainWindowHarness h;
    h.onBox = [&](const app::MessageBoxRequest&) { h.window->close(); };
    h.start();
    QVERIFY(!h.window->hasShutDown());
    QCOMPARE(h.control<QLineEdit>("txtC167ApplFile")->text(), QStringLiteral("Appl.sre"));
    QCoreApplication::processEvents();
    QVERIFY(h.window->hasShutDown());
    QVERIFY(!h.fakePort.isOpen());
}

void tst_frmMainCommands::accessKeysRunTheirCommands()
{
    MainWindowHarness h;
    CurrentDirectory here(h.dir.path());  // no application file here
    app::frmMain& w = h.start();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    h.boxes.clear();
    h.fakePort.clearWrites();
    // A button's access key clicks it the animated way, once the event loop runs.
    QSignalSpy resetClicked(h.control<QPushButton>("cmdReset"), &QPushButton::clicked);
    QTest::keyClick(&w, Qt::Key_R, Qt::AltModifier);
    QVERIFY(resetClicked.wait());
    QCOMPARE(h.fakePort.writes().value(0), kIdentify);
    QCOMPARE(h.boxTexts(), QStringList({testing::kNotResponding}));

    h.boxes.clear();
    QSignalSpy eraseClicked(h.control<QPushButton>("cmdC167EraseProgram"), &QPushButton::clicked);
    QTest::keyClick(&w, Qt::Key_A, Qt::AltModifier);
    QVERIFY(eraseClicked.wait());
    QCOMPARE(h.boxTexts(), QStringList({testing::kFileError}));

    // The tab's access key reloads the CPU flash loader, whatever memory is selected.
    h.control<QRadioButton>("ExternalFlash")->click();
    h.boxes.clear();
    QTest::keyClick(&w, Qt::Key_C, Qt::AltModifier);
    QVERIFY(ShowsBoxNaming(h, "LoaderC167.sre"));
    QVERIFY(w.isEnabled());
}

void tst_frmMainCommands::fileMenuByKeyboard()
{
    MainWindowHarness h;
    app::frmMain& w = h.start();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    auto* file = h.control<QMenu>("mnuProfile");
    QTest::keyClick(&w, Qt::Key_F, Qt::AltModifier);
    QVERIFY(file->isVisible());

    // E opens the profile manager as a modal dialog; hiding it ends its modal run.
    bool managerShown = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        managerShown = modal != nullptr && modal != &w;
        if (modal)
            modal->hide();
    });
    QTest::keyClick(file, Qt::Key_E);
    QVERIFY(managerShown);
    QVERIFY(!file->isVisible());
    QVERIFY(w.isVisible());
    QVERIFY(w.isEnabled());

    // The offscreen platform leaves the hidden dialog active; a desktop activates the window.
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_F, Qt::AltModifier);
    QVERIFY(file->isVisible());
    QTest::keyClick(file, Qt::Key_X);
    QVERIFY(w.hasShutDown());
    QVERIFY(!w.isVisible());
}

void tst_frmMainCommands::hexadecimalAddressFields()
{
    MainWindowHarness h;
    h.start();
    for (const char* name : {"txtMonitorAddressFrom", "txtMonitorAddressTo"}) {
        auto* field = h.control<QLineEdit>(name);
        for (Qt::Key refused : {Qt::Key_G, Qt::Key_Minus, Qt::Key_Space, Qt::Key_X})
            QTest::keyClick(field, refused);
        QCOMPARE(field->text(), QString());
        QTest::keyClicks(field, QStringLiteral("7Cc"));
        QCOMPARE(field->text(), QStringLiteral("7Cc"));

        // Ctrl+V pastes nothing; a context-menu paste keeps only the hexadecimal digits.
        QApplication::clipboard()->setText(QStringLiteral("ab-12"));
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(field->text(), QStringLiteral("7Cc"));
        field->clear();
        field->insert(QStringLiteral("x1 y2"));
        QCOMPARE(field->text(), QStringLiteral("12"));

        // A 24-bit address: the seventh digit is refused; backspace works as usual.
        QTest::keyClicks(field, QStringLiteral("3456A"));
        QCOMPARE(field->text(), QStringLiteral("123456"));
        QTest::keyClick(field, Qt::Key_Backspace);
        QCOMPARE(field->text(), QStringLiteral("12345"));
    }
}

QTEST_MAIN(tst_frmMainCommands)
#include "tst_frmMainCommands.moc"
