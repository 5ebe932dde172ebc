// What the window says about a file it cannot use: the box it always showed, then panel 1
// with the file as the profile names it, the folder a relative name was looked up in and
// the reason, in the command line's words.

#include "MainWindowHarness.h"

#include "support/TestFiles.h"

#include <QFile>

using namespace zandor;
using testing::MainWindowHarness;
using testing::WriteTestFile;

namespace {

// A board that answers the identification and acknowledges everything after it.
void AnswerAsABoard(testing::FakeSerialPort& port)
{
    port.setResponder([](const QByteArray& written, testing::FakeSerialPort& p) {
        p.queueReceived(written == QByteArray(1, '\0') ? QByteArray(1, char(0xC5)) : QByteArray("*"));
    });
}

QString LookedUpIn() { return QStringLiteral(" (relative names are looked up in %1).").arg(QDir::currentPath()); }

}  // namespace

class tst_frmMainFileFaults : public QObject {
    Q_OBJECT

private slots:
    void applicationFileFaultsNameFileFolderAndReason()
    {
        MainWindowHarness h;
        h.enterFolder();
        h.start();
        h.fakePort.clearWrites();
        QLabel* panel1 = h.control<QLabel>("staPanel1");
        QVERIFY(WriteTestFile("Damaged.sre", "S00600004844521C\r\nS9030000FC\r\n"));
        QVERIFY(QDir().mkdir("Folder.sre"));
        // Unreadable even for root, who may open any file: a link that points at itself.
        QVERIFY(QFile::link("Loop.sre", "Loop.sre"));
        const QString absent = h.dir.filePath("Elsewhere/Absent.sre");

        struct Case {
            QString file;
            QString box;     // the box, as it always was
            QString panel1;  // the reason, after the box
        };
        const Case cases[] = {
            {"Apl.sre", testing::kFileError, "Cannot read Apl.sre: the file does not exist" + LookedUpIn()},
            {"Loop.sre", testing::kFileError,
             "Cannot read Loop.sre: Too many levels of symbolic links" + LookedUpIn()},
            {"Folder.sre", "Cannot read Folder.sre: it is a folder.",
             "Cannot read Folder.sre: it is a folder" + LookedUpIn()},
            {"Damaged.sre", "Error in Damaged.sre, line 1: checksum 1C is wrong, expected 1B.",
             "Error in Damaged.sre, line 1: checksum 1C is wrong, expected 1B" + LookedUpIn()},
            // An absolute name needs no folder.
            {absent, testing::kFileError, "Cannot read " + absent + ": the file does not exist."},
        };
        for (const Case& c : cases) {
            h.boxes.clear();
            h.fileField()->setText(c.file);
            h.click("cmdC167EraseProgram");
            QCOMPARE(h.boxTexts(), QStringList({c.box}));
            QCOMPARE(h.panel(1), c.panel1);
            QCOMPARE(panel1->toolTip(), c.panel1);  // the whole text, said once
            QVERIFY(h.fakePort.writes().isEmpty());
        }
    }

    void loaderFileFaultsNameFileFolderAndReason()
    {
        MainWindowHarness h;
        h.enterFolder();
        QVERIFY(WriteTestFile("LoaderC167.sre", "S1130000000102030405060708090A0B0C0D0E0F74\r\n"));
        AnswerAsABoard(h.fakePort);
        // Start-up: the board answers, the pre-loader is missing.
        h.start();
        QCOMPARE(h.boxTexts(), QStringList({"Cannot read PreLoad.bin: the file does not exist."}));
        QCOMPARE(h.panel(1), "Cannot read PreLoad.bin: the file does not exist" + LookedUpIn());

        // Reset: the same; a memory change (a reload, no pre-loader): its loader.
        h.boxes.clear();
        h.click("cmdReset");
        QCOMPARE(h.panel(1), "Cannot read PreLoad.bin: the file does not exist" + LookedUpIn());
        h.boxes.clear();
        h.click("DataFlash");
        QCOMPARE(h.boxTexts(), QStringList({"Cannot read LoaderAT45D0x1.sre: the file does not exist."}));
        QCOMPARE(h.panel(1), "Cannot read LoaderAT45D0x1.sre: the file does not exist" + LookedUpIn());
    }
};

QTEST_MAIN(tst_frmMainFileFaults)
#include "tst_frmMainFileFaults.moc"
