// The main window against the simulated board on a pseudo-terminal, with the real serial
// port and event pump, in a folder holding a copy of the sample files.

#include "MainWindowHarness.h"

#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "support/SampleImages.h"
#include "support/SimulatedTarget.h"

#include <QFile>
#include <QGroupBox>
#include <QRegularExpression>
#include <QTimer>
#include <QTabBar>
#include <QTabWidget>

using namespace zandor;

namespace {

// Counts the paints a widget gets while its window is disabled, i.e. inside a command.
struct PaintsWhileBusy : QObject {
    int count = 0;
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !static_cast<QWidget*>(object)->window()->isEnabled())
            ++count;
        return false;
    }
};

}  // namespace

class tst_frmMainTarget : public QObject {
    Q_OBJECT

private slots:
    void loadersAndEraseProgramOnTheBoard()
    {
        testing::SimulatedTarget sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        platform::QtSerialPort port([&](int) { return sim.devicePath(); });
        platform::QtEventPump pump;
        testing::MainWindowHarness h(&port, &pump);
        h.enterFolderWithSamples();
        h.start();
        QVERIFY2(h.boxes.isEmpty(), qPrintable(h.boxTexts().join(" | ")));

        int at = -1;  // the log lines must come in order
        auto logged = [&](const QString& line) {
            const QStringList log = sim.log();
            for (int i = at + 1; i < log.size(); ++i)
                if (log[i].contains(line))
                    return at = i, true;
            qWarning() << "not found:" << line << "in" << log.mid(at + 1);
            return false;
        };
        QVERIFY(logged("loader first LoaderC167"));
        QLineEdit* field = h.fileField();
        h.click("DataFlash");
        QCOMPARE(field->text(), QStringLiteral("ApplAT45D0x1.sre"));
        QVERIFY(logged("loader reload LoaderAT45D0x1"));

        // Typing changes only the selected memory's file, and reaches the store with the next
        // save.
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("Mine.sre"));
        const profiles::ProfileData& profile = h.window->currentProfile();
        QCOMPARE(profile.AT45D0x1ApplFile, QStringLiteral("Mine.sre"));
        QCOMPARE(profile.C167ApplFile, QStringLiteral("Appl.sre"));
        QCOMPARE(profile.AMD29F0x0ApplFile, QStringLiteral("ApplAMD29F0x0.sre"));
        QCOMPARE(h.stored("Default", "AT45D0x1ApplFile"), QStringLiteral("ApplAT45D0x1.sre"));
        h.click("ExternalFlash");
        QCOMPARE(field->text(), QStringLiteral("ApplAMD29F0x0.sre"));
        QCOMPARE(h.stored("Default", "AT45D0x1ApplFile"), QStringLiteral("Mine.sre"));
        QVERIFY(logged("loader reload LoaderAMD29F0x0"));

        // The tab reloads the CPU flash loader, whatever memory is selected.
        QTabBar* tabs = h.control<QTabWidget>("Tab1")->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
        QVERIFY(logged("loader reload LoaderC167"));
        QVERIFY(!h.control<QGroupBox>("fraMonitor")->isVisible());

        // The status bar repaints between records: the waits let the event loop run.
        h.click("CpuFlash");
        QCOMPARE(field->text(), QStringLiteral("Appl.sre"));
        PaintsWhileBusy status;
        h.control<QLabel>("staPanel1")->installEventFilter(&status);
        h.click("cmdC167EraseProgram");
        QVERIFY2(h.boxes.isEmpty(), qPrintable(h.boxTexts().join(" | ")));
        QVERIFY2(status.count >= 2, qPrintable(QString::number(status.count)));
        QCOMPARE(h.panel(1), QStringLiteral("CPU: Sending Appl.sre, Done"));
        QCOMPARE(h.panel(3), QStringLiteral("100%"));
        QVERIFY(h.window->isEnabled());
        for (int bank = 0; bank < 4; ++bank)
            QVERIFY(sim.log().contains(QStringLiteral("erase %1").arg(bank)));

        // What was checked is what is sent: the file changed, emptied or deleted while the
        // board is erased changes nothing of the download.
        const std::function<void()> meddle[] = {
            [] { QFile::remove("Live.sre"), QFile::copy("Appl.bin", "Live.sre"); },
            [] { QFile("Live.sre").resize(0); },
            [] { QFile::remove("Live.sre"); },
        };
        auto records = [&sim] { return sim.log().filter(QRegularExpression("^record ")).size(); };
        for (const auto& change : meddle) {
            QFile::remove("Live.sre");
            QVERIFY(QFile::copy("Appl.sre", "Live.sre"));
            field->setText(QStringLiteral("Live.sre"));
            const qsizetype recordsBefore = records();
            QTimer::singleShot(0, change);  // runs in the first wait: the erase of bank 0
            h.click("cmdC167EraseProgram");
            QVERIFY2(h.boxes.isEmpty(), qPrintable(h.boxTexts().join(" | ")));
            QCOMPARE(h.panel(1), QStringLiteral("CPU: Sending Live.sre, Done"));
            QCOMPARE(records() - recordsBefore, testing::SampleBytes("Appl.sre").count("\r\n"));
        }

        sim.stop();
        const auto expected = testing::ImageOfSRecordFile(QStringLiteral("Appl.sre"));
        QCOMPARE(expected.size(), 3072 - 8);  // the sample's data bytes but its eight FFh, as erased flash holds them
        QCOMPARE(sim.memory(), expected);
    }
};

QTEST_MAIN(tst_frmMainTarget)
#include "tst_frmMainTarget.moc"
