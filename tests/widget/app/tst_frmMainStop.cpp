// Esc during Erase & Program, against the simulated board paced like a real line: the run
// stops after the record in flight, says what was done, and the next run starts at once.

#include "MainWindowHarness.h"

#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "support/SampleImages.h"
#include "support/SimulatedTarget.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QRegularExpression>

using namespace zandor;

class tst_frmMainStop : public QObject {
    Q_OBJECT

private slots:
    void escStopsTheDownloadAndTheNextRunSucceeds()
    {
        // At the profile's 38400 baud, about 20 ms a record: the key arrives with most still to go.
        testing::SimulatedTarget sim({"--baud", "38400"});
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        platform::QtSerialPort port([&](int) { return sim.devicePath(); });
        platform::QtEventPump pump;
        testing::MainWindowHarness h(&port, &pump);
        h.enterFolderWithSamples();
        h.start();
        QVERIFY2(h.boxes.isEmpty(), qPrintable(h.boxTexts().join(" | ")));

        auto records = [&sim] { return int(sim.log().filter(QRegularExpression("^record ")).size()); };
        QProgressBar* bar = h.progressBar();
        int recordsAtEsc = -1;
        // Esc arrives as the user's key would: through the event loop, to a disabled window.
        auto connection = connect(bar, &QProgressBar::valueChanged, this, [&](int percent) {
            if (percent < 30 || recordsAtEsc >= 0)
                return;
            recordsAtEsc = records();
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : h.window.get();
            QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        });
        h.click("cmdC167EraseProgram");
        disconnect(connection);
        QVERIFY(recordsAtEsc >= 0);

        const QRegularExpression stopped(
            "^CPU: Sending Appl\\.sre \\(record (\\d+) of (\\d+): the memory is partly programmed\\), Stopped$");
        const QRegularExpressionMatch match = stopped.match(h.panel(1));
        QVERIFY2(match.hasMatch(), qPrintable(h.panel(1)));
        const int stoppedAfter = match.captured(1).toInt();
        // The record in flight when the key came is answered, and nothing goes out after it.
        QVERIFY2(stoppedAfter <= recordsAtEsc + 2, qPrintable(QString("%1 %2").arg(stoppedAfter).arg(recordsAtEsc)));
        QVERIFY(stoppedAfter < match.captured(2).toInt());
        QCOMPARE(records(), stoppedAfter);
        QVERIFY2(h.boxes.isEmpty(), qPrintable(h.boxTexts().join(" | ")));
        QVERIFY(h.window->isEnabled());
        QCOMPARE(bar->property("runState").toString(), QStringLiteral("stopped"));
        QVERIFY(bar->value() >= 30 && bar->value() < 100);

        // The loader is still running: the next Erase & Program needs no Reset.
        h.click("cmdC167EraseProgram");
        QVERIFY2(h.boxes.isEmpty(), qPrintable(h.boxTexts().join(" | ")));
        QCOMPARE(h.panel(1), QStringLiteral("CPU: Sending Appl.sre, Done"));
        QCOMPARE(bar->property("runState").toString(), QStringLiteral("done"));
        sim.stop();
        QCOMPARE(sim.memory(), testing::ImageOfSRecordFile(QStringLiteral("Appl.sre")));
    }
};

QTEST_MAIN(tst_frmMainStop)
#include "tst_frmMainStop.moc"
