// The main window against the simulated board on a pseudo-terminal, with the real serial
// port and event pump, in a folder holding a copy of the sample files.

#include "MainWindowHarness.h"

#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "support/SimulatedTarget.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>

using namespace zandor;
using testing::MainWindowHarness;
using testing::SimulatedTarget;

namespace {

// The data bytes of an S-record file's S1/S2/S3 records, address to byte.
QMap<quint32, quint8> SRecordData(const QString& path)
{
    QMap<quint32, quint8> data;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return data;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.size() < 4 || line[0] != 'S' || line[1] < '1' || line[1] > '3')
            continue;
        const int addressBytes = line[1] - '0' + 1;
        const QByteArray bytes = QByteArray::fromHex(line.mid(2));
        quint32 address = 0;
        for (int i = 1; i <= addressBytes; ++i)
            address = (address << 8) | quint8(bytes[i]);
        for (int i = 1 + addressBytes; i < bytes.size() - 1; ++i)
            data.insert(address++, quint8(bytes[i]));
    }
    return data;
}

// Counts the paints a widget gets while its window is disabled, i.e. inside a command.
class PaintsWhileBusy : public QObject {
public:
    explicit PaintsWhileBusy(QWidget* watched) : watched_(watched) { watched->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (object == watched_ && event->type() == QEvent::Paint && !watched_->window()->isEnabled())
            ++count;
        return false;
    }

private:
    QWidget* watched_;
};

int IndexOfLine(const QStringList& log, const QString& line, int from = 0)
{
    for (int i = from; i < log.size(); ++i)
        if (log[i].contains(line))
            return i;
    return -1;
}

}  // namespace

class tst_frmMainTarget : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void memoryChoicesAndTabClickBringUpTheirLoaders();
    void eraseAndProgramWritesTheFileByteForByte();

private:
    std::unique_ptr<SimulatedTarget> sim_;
    std::unique_ptr<QTemporaryDir> work_;
    QString directoryBefore_;
};

void tst_frmMainTarget::init()
{
    sim_ = std::make_unique<SimulatedTarget>();
    QVERIFY2(sim_->start(), qPrintable(sim_->errorText()));
    work_ = std::make_unique<QTemporaryDir>();
    const QDir samples(testing::SamplesDir());
    const QStringList files = samples.entryList({"*.sre", "*.bin"}, QDir::Files);
    QVERIFY(!files.isEmpty());
    for (const QString& name : files)
        QVERIFY(QFile::copy(samples.filePath(name), work_->filePath(name)));
    directoryBefore_ = QDir::currentPath();
    QDir::setCurrent(work_->path());
}

void tst_frmMainTarget::cleanup()
{
    QDir::setCurrent(directoryBefore_);
    sim_.reset();
    work_.reset();
}

void tst_frmMainTarget::memoryChoicesAndTabClickBringUpTheirLoaders()
{
    platform::QtSerialPort port([this](int) { return sim_->devicePath(); });
    platform::QtEventPump pump;
    MainWindowHarness h(&port, &pump);
    h.start();
    QVERIFY2(h.boxes.isEmpty(), qPrintable(h.boxTexts().join(" | ")));
    QVERIFY(IndexOfLine(sim_->log(), "loader first LoaderC167") >= 0);
    auto* field = h.control<QLineEdit>("txtC167ApplFile");

    h.control<QRadioButton>("DataFlash")->click();
    QCOMPARE(field->text(), QStringLiteral("ApplAT45D0x1.sre"));
    int at = IndexOfLine(sim_->log(), "loader reload LoaderAT45D0x1");
    QVERIFY2(at >= 0, qPrintable(sim_->log().join('\n')));

    h.control<QRadioButton>("ExternalFlash")->click();
    QCOMPARE(field->text(), QStringLiteral("ApplAMD29F0x0.sre"));
    at = IndexOfLine(sim_->log(), "loader reload LoaderAMD29F0x0", at);
    QVERIFY(at >= 0);

    // The tab reloads the CPU flash loader, whatever memory is selected.
    QTabBar* tabs = h.control<QTabWidget>("Tab1")->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    QVERIFY(IndexOfLine(sim_->log(), "loader reload LoaderC167", at) > at);
    QVERIFY(h.control<QRadioButton>("ExternalFlash")->isChecked());
    QVERIFY(h.boxes.isEmpty());
    QVERIFY(h.window->isEnabled());
}

void tst_frmMainTarget::eraseAndProgramWritesTheFileByteForByte()
{
    platform::QtSerialPort port([this](int) { return sim_->devicePath(); });
    platform::QtEventPump pump;
    MainWindowHarness h(&port, &pump);
    h.start();
    QVERIFY2(h.boxes.isEmpty(), qPrintable(h.boxTexts().join(" | ")));

    // The status bar repaints between records: the waits let the event loop run.
    PaintsWhileBusy status(h.control<QLabel>("staPanel1"));
    h.control<QPushButton>("cmdC167EraseProgram")->click();
    QVERIFY2(h.boxes.isEmpty(), qPrintable(h.boxTexts().join(" | ")));
    QVERIFY2(status.count >= 2, qPrintable(QString::number(status.count)));
    QCOMPARE(h.panel(1), QStringLiteral("CPU: Sending Appl.sre, Done"));
    QCOMPARE(h.panel(3), QStringLiteral("100%"));
    QVERIFY(h.window->isEnabled());
    QVERIFY(h.control<QPushButton>("cmdC167EraseProgram")->isEnabled());
    const QStringList log = sim_->log();
    for (int bank = 0; bank < 4; ++bank)
        QVERIFY2(log.contains(QStringLiteral("erase %1").arg(bank)), qPrintable(log.join('\n')));

    sim_->stop();
    const QMap<quint32, quint8> expected = SRecordData(QStringLiteral("Appl.sre"));
    QCOMPARE(expected.size(), 3072);
    QCOMPARE(sim_->memory(), expected);
}

QTEST_MAIN(tst_frmMainTarget)
#include "tst_frmMainTarget.moc"
