// The main window's commands against a fake port: browsing, dropping a file,
// the file checks of Erase & Program, its progress and times, close requests under a running
// command, keyboard.

#include "MainWindowHarness.h"

#include "app/MainTiming.h"
#include "ui/EntryFields.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <sys/stat.h>

using namespace zandor;
using testing::MainWindowHarness;
using testing::WriteTestFile;

class tst_frmMainCommands : public QObject {
    Q_OBJECT

private slots:
    void browseKeepsTheLastPathAndTheDirectory()
    {
        MainWindowHarness h;
        QTemporaryDir elsewhere;
        h.enterFolder();
        h.start();
        QString filter;
        const QString chosen = elsewhere.filePath(QStringLiteral("Chosen.bin"));
        auto browse = [&](const QString& answer) {  // an empty answer: the user cancels
            h.window->setOpenFileDialog([&](QWidget*, const QString&, const QString& f) {
                filter = f;
                QDir::setCurrent(elsewhere.path());  // the user browsed to another folder
                return answer;
            });
            h.click("cmdC167ApplFileBrowse");
            QCOMPARE(QDir::currentPath(), QDir(h.dir.path()).canonicalPath());
        };
        browse({});
        QCOMPARE(filter, QStringLiteral("S-Record File (*.sre);;Binary File (*.bin);;Intel HEX files (*.hex *.h86)"));
        QCOMPARE(h.fileField()->text(), QStringLiteral("Appl.sre"));
        browse(chosen);
        QCOMPARE(h.window->currentProfile().C167ApplFile, chosen);
        // A later cancel puts the last chosen path in again, here into another memory's field.
        h.click("DataFlash");
        browse({});
        QCOMPARE(h.fileField()->text(), chosen);
        QCOMPARE(h.window->currentProfile().AT45D0x1ApplFile, chosen);
    }

    void dropTakesOneApplicationFileOnly()
    {
        MainWindowHarness h;
        h.start();
        QWidget* window = h.window.get();
        QLineEdit* field = h.fileField();
        auto local = [](const char* name) { return QUrl::fromLocalFile(QString("/data/") + name); };
        struct Drop {
            QList<QUrl> urls;
            QString text;
            QWidget* onto;
            bool busy;      // a command runs: the window is disabled
            QString taken;  // empty: refused
        };
        // A file manager offers the URL as text too, which the field alone would insert.
        const QString url = local("Image.BIN").toString();
        const Drop drops[] = {
            {{local("Appl.sre")}, {}, window, false, "/data/Appl.sre"},
            {{local("Image.BIN")}, url, field, false, "/data/Image.BIN"},
            {{local("One.sre"), local("Two.sre")}, {}, window, false, {}},
            {{local("Appl.h86")}, {}, window, false, "/data/Appl.h86"},
            {{local("Appl.hex.txt")}, {}, window, false, {}},
            {{QUrl("https://example.com/Appl.sre")}, {}, window, false, {}},
            {{}, "/data/Appl.sre", window, false, {}},
            {{local("Appl.sre")}, {}, field, true, {}},
        };
        for (const Drop& drop : drops) {
            field->setText(QStringLiteral("Before.sre"));
            h.window->EnableControls(1, !drop.busy);
            QMimeData data;
            if (!drop.urls.isEmpty())
                data.setUrls(drop.urls);
            if (!drop.text.isEmpty())
                data.setText(drop.text);
            const auto actions = Qt::CopyAction | Qt::MoveAction;
            QDragEnterEvent enter({1, 1}, actions, &data, Qt::LeftButton, Qt::NoModifier);
            QDropEvent dropped(QPointF(1, 1), actions, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(drop.onto, &enter);
            QCoreApplication::sendEvent(drop.onto, &dropped);

            const QString expected = drop.taken.isEmpty() ? QString("Before.sre") : drop.taken;
            QVERIFY2(enter.isAccepted() == !drop.taken.isEmpty(),
                     qPrintable(drop.urls.value(0).url()));
            QCOMPARE(field->text(), expected);
            QCOMPARE(h.window->currentProfile().C167ApplFile, expected);
        }
    }

    void eraseProgramChecksTheSelectedMemorysFileFirst()
    {
        MainWindowHarness h;
        h.enterFolder();
        QVERIFY(WriteTestFile("Appl.sre", "S00600004844521B\r\n"));
        h.start();
        auto erase = [&] {
            h.boxes.clear();
            h.fakePort.clearWrites();
            h.click("cmdC167EraseProgram");
        };

        // External flash: its own file is missing, although the CPU flash file exists.
        h.click("ExternalFlash");
        erase();
        QCOMPARE(h.boxTexts(), QStringList({testing::kFileError}));
        QVERIFY(h.fakePort.writes().isEmpty());

        // CPU flash: a file that is no regular file gets one box naming it before anything is
        // erased; the name typed in is stored all the same. (Which files are refused, and
        // the words for each: InputFileReaderTest and tst_frmMainFileFaults.)
        h.click("CpuFlash");
        QVERIFY(mkfifo("fifo", 0600) == 0);
        h.fileField()->setText(QStringLiteral("fifo"));
        erase();
        QCOMPARE(h.boxes.size(), 1);
        QVERIFY2(h.boxes[0].text.contains(QLatin1String("fifo")), qPrintable(h.boxes[0].text));
        QVERIFY(h.fakePort.writes().isEmpty());
        QCOMPARE(h.stored("Default", "C167ApplFile"), QStringLiteral("fifo"));
        QVERIFY(h.window->isEnabled());
        h.fileField()->setText(QStringLiteral("Appl.sre"));
        QVERIFY(WriteTestFile("Appl.sre", "S00600004844521B\r\nS1041000AA41\r\nS9030000FC\r\n"));
        erase();
        QVERIFY(!h.boxTexts().contains(testing::kFileError));
        QVERIFY(h.fakePort.allWritten().contains("SE\x03"));
    }

    void eraseProgramShowsProgressAndTimes()
    {
        QCOMPARE(app::EraseProgramTimingText(800'000'000, 20'400'000'000, 65536),
                 QStringLiteral("Erase 0.80 s, download 20.4 s, 3213 bytes/s"));

        MainWindowHarness h;
        h.enterFolder();
        // Four records: 64, 64, 64 and 8 bytes.
        QVERIFY(WriteTestFile("Appl.bin", QByteArray(200, '\x11')));
        h.start();
        QProgressBar* bar = h.progressBar();
        QVERIFY(bar->text().isEmpty());
        QVERIFY(bar->value() < bar->minimum());  // no fill
        h.fileField()->setText(QStringLiteral("Appl.bin"));
        QLabel* panel1 = h.control<QLabel>("staPanel1");

        // The board acknowledges every write but the download's record `refused`.
        auto run = [&](int refused) {
            h.fakePort.setResponder([records = 0, refused](const QByteArray& w, auto& p) mutable {
                p.queueReceived(w.startsWith("S3") && ++records == refused ? "#" : "*");
            });
            h.click("cmdC167EraseProgram");
        };
        // The tooltip's first line is panel 1's whole text; the lines under it what else is known.
        auto tipLines = [&] { return panel1->toolTip().split('\n'); };
        run(0);
        QCOMPARE(h.panel(1), QStringLiteral("CPU: Sending Appl.bin, Done"));
        QCOMPARE(h.panel(3), QStringLiteral("100%"));
        QCOMPARE(bar->value(), 100);
        QCOMPARE(bar->property("runState").toString(), QStringLiteral("done"));
        const QRegularExpression times("^Erase \\d+\\.\\d+ s, download \\d+\\.\\d+ s, \\d+ bytes/s$");
        QCOMPARE(tipLines().size(), 2);
        QCOMPARE(tipLines()[0], h.panel(1));
        QVERIFY2(times.match(tipLines()[1]).hasMatch(), qPrintable(panel1->toolTip()));

        // A refused record: the percentage reached stays, in the error colour, and the
        // tooltip says what was refused instead of the times.
        run(3);
        QCOMPARE(h.panel(1), QStringLiteral("CPU: Sending Appl.bin, Error"));
        QCOMPARE(h.panel(3), QStringLiteral("96%"));
        QCOMPARE(bar->value(), 96);
        QCOMPARE(bar->property("runState").toString(), QStringLiteral("error"));
        QCOMPARE(tipLines(), QStringList({h.panel(1), "record 3 of 4 refused: Chip Program Failure : (23 #)"}));

        // After a whole run the board is gone: the erase fails at once, and the bar does not
        // go on showing the last run's 100 %.
        run(0);
        QCOMPARE(bar->value(), 100);
        h.fakePort.setResponder({});
        h.click("cmdC167EraseProgram");
        QCOMPARE(h.panel(1), QStringLiteral("CPU: Erasing Bank 0 ..., Error"));
        QVERIFY(bar->text().isEmpty());
        QVERIFY(bar->value() < bar->minimum());
        QCOMPARE(bar->property("runState").toString(), QStringLiteral("error"));
        QCOMPARE(tipLines(), QStringList({h.panel(1), "bank 0 not acknowledged within 10.0 s"}));
    }

    // Reset: the chip that answered is named in panel 1's tooltip; a refused byte says what
    // it means and what to try; silence lists what to check, the profile's format first
    // when it is not 8 data bits without parity.
    void resetNamesTheChipOrWhatToCheck()
    {
        struct Case {
            int answer;  // the byte the board answers the zero byte with; -1: silence
            QString settings;
            QStringList tipAfterPanel;  // the tooltip's lines after panel 1's text
        };
        const Case cases[] = {
            {0xC5, "38400,N,8,1", {"Chip: C5h (a C167 derivative such as the C167CR)"}},
            {0xD5, "38400,N,8,1",
             {"the identification: the board answered D5h, not as a C167 (C5h): that is a chip with identification "
              "registers, such as the ST10F168: choose that CPU type if this is one"}},
            {-1, "57600,E,7,1",
             {"the identification: no answer within 0.2 s. Check, most likely first:",
              "- the board reset into bootstrap mode and the cable on this port",
              "- the profile's serial format: 7 data bits, parity E, not 8 data bits without parity (the bootstrap "
              "loader measures the baud rate from a zero byte of 8 data bits)",
              "- the baud rate, 57600: some derivatives measure it reliably only up to 19200: try 19200 or 9600",
              "- an adapter that echoes: a reply of 00h is our own zero byte coming back"}},
        };
        for (const Case& c : cases) {
            MainWindowHarness h;
            h.enterFolder();
            h.start();
            h.window->currentProfile().COMSettings = c.settings;
            h.fakePort.setResponder([answer = c.answer](const QByteArray& w, auto& p) {
                if (w == QByteArray(1, '\0')) {
                    if (answer >= 0)
                        p.queueReceived(QByteArray(1, char(answer)));
                } else {
                    p.queueReceived("*");
                }
            });
            h.click("cmdReset");
            const QStringList tip = h.control<QLabel>("staPanel1")->toolTip().split('\n');
            QCOMPARE(tip.mid(1), c.tipAfterPanel);
        }
    }

    void closeRequestWaitsForTheRunningCommand()
    {
        MainWindowHarness h;
        h.start(QStringLiteral("/PDefault"));
        bool closedInWait = true, portOpenInWait = false, asked = false;
        h.fakePump.onWait = [&](qint64) {
            if (!std::exchange(asked, true)) {
                closedInWait = h.window->close();
                portOpenInWait = h.fakePort.isOpen();
            }
        };
        h.click("cmdReset");
        QVERIFY(!closedInWait);
        QVERIFY(portOpenInWait);
        QVERIFY(!h.window->hasShutDown());
        // Once the command has ended the close goes through, with the normal shutdown.
        h.fakePump.onWait = {};
        QCoreApplication::processEvents();
        QVERIFY(h.window->hasShutDown());
        QVERIFY(!h.fakePort.isOpen());
        QCOMPARE(h.stored("General", "ProfileLastUsed"), QStringLiteral("Default"));

        // The same for a close under the start-up's box.
        MainWindowHarness h2;
        h2.onBox = [&](const ui::MessageBoxRequest&) { h2.window->close(); };
        h2.start();
        QVERIFY(!h2.window->hasShutDown());
        QCoreApplication::processEvents();
        QVERIFY(h2.window->hasShutDown());
    }

    void accessKeysRunTheirCommands()
    {
        MainWindowHarness h;
        h.enterFolder();  // no application file here
        app::frmMain& w = h.start();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));

        // A button's access key clicks it the animated way, once the event loop runs.
        const std::tuple<Qt::Key, const char*, QString> keys[] = {
            {Qt::Key_R, "cmdReset", testing::kNotResponding},
            {Qt::Key_A, "cmdC167EraseProgram", testing::kFileError}};
        for (const auto& [key, button, box] : keys) {
            h.boxes.clear();
            QSignalSpy clicked(h.control<QPushButton>(button), &QPushButton::clicked);
            QTest::keyClick(&w, key, Qt::AltModifier);
            QVERIFY(clicked.wait());
            QCOMPARE(h.boxTexts(), QStringList({box}));
        }
    }

    void hexadecimalAddressFields()
    {
        MainWindowHarness h;
        h.start();
        for (const char* name : {"txtMonitorAddressFrom", "txtMonitorAddressTo"}) {
            auto* field = h.control<QLineEdit>(name);
            // Ctrl+V pastes nothing; a context-menu paste keeps only the hexadecimal digits.
            QApplication::clipboard()->setText(QStringLiteral("ab-12"));
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
            QVERIFY(field->text().isEmpty());
            field->insert(QStringLiteral("x1 y2"));
            QCOMPARE(field->text(), QStringLiteral("12"));
            QTest::keyClicks(field, QStringLiteral("3456A"));  // the seventh digit is refused
            QCOMPARE(field->text(), QStringLiteral("123456"));
            // Delete arrives with the character 7Fh under X11 and still deletes.
            QTest::keyClick(field, Qt::Key_Home);
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_Delete, QStringLiteral("\x7F"), {});
            QCOMPARE(field->text(), QStringLiteral("23456"));
        }
        // Tab (text "\t") reaches the field's own handling, which moves the focus on.
        struct TabCounter : QLineEdit {
            int tabs = 0;
            bool event(QEvent* e) override
            {
                tabs += e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Tab;
                return QLineEdit::event(e);
            }
        } field;
        ui::MakeEntryField(&field, ui::KeyFilter::Hexadecimal);
        QTest::sendKeyEvent(QTest::Click, &field, Qt::Key_Tab, QStringLiteral("\t"), {});
        QCOMPARE(field.tabs, 1);
    }
};

QTEST_MAIN(tst_frmMainCommands)
#include "tst_frmMainCommands.moc"
