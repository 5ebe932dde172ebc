// Programs a 256 KiB binary whose first 96 KiB are data and the rest erased bytes (FFh)
// through the simulated board paced at 38400 baud, once whole and once with the blank
// records skipped, and compares the runs' wall times and the boards' memories. Run by hand:
//   <build>/bench/bench_skip_blank
// Skipping must take at most 0.42 times the whole run's time and leave the same memory.

#include "BenchSupport.h"
#include "CpuFlashRun.h"
#include "app/WindowProtocolView.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "profiles/ProfileData.h"
#include "protocol/ProgrammingRun.h"
#include "support/RecordingReporter.h"
#include "support/SampleImages.h"
#include "support/SimulatedTarget.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

using namespace zandor;

namespace {

constexpr long kBaud = 38400;
constexpr qint64 kImageBytes = 256 * 1024;
constexpr qint64 kDataBytes = 96 * 1024;    // the rest of the image is FFh
constexpr double kMostSkippingShare = 0.42;  // of the whole run's wall time
constexpr quint32 kRandomSeed = 167;
const QString kImage = QStringLiteral("Blank256k.bin");

struct Figures {
    double wallSeconds = 0;
    int skippedRecords = 0;
    QByteArray dump;  // the board's memory afterwards, erased bytes included
};

// Counts the download's skipped records and passes every event on.
class SkipCounter : public protocol::IProtocolObserver {
public:
    explicit SkipCounter(protocol::IProtocolObserver& next) : next_(next) {}
    void onStep(const protocol::StepEvent& event) override { next_.onStep(event); }
    void onProgress(const protocol::ProgressEvent& event) override { next_.onProgress(event); }
    void onReply(const protocol::ReplyEvent& event) override { next_.onReply(event); }
    void onFault(const protocol::FaultEvent& event) override { next_.onFault(event); }
    void onStepEnd(const protocol::StepEndEvent& event) override
    {
        if (event.phase == protocol::Phase::Download)
            skipped = event.skippedRecords;
        next_.onStepEnd(event);
    }
    int skipped = 0;

private:
    protocol::IProtocolObserver& next_;
};

// One whole programming run (identification, loader, erase, download), timed whole.
bool Measure(protocol::BlankRecords blank, Figures* figures, QString* error)
{
    testing::SimulatedTarget sim({QStringLiteral("--baud"), QString::number(kBaud)});
    if (!sim.start()) {
        *error = sim.errorText();
        return false;
    }
    profiles::ProfileData profile;
    profile.COMSettings = QStringLiteral("%1,N,8,1").arg(kBaud);
    profile.C167ApplFile = kImage;
    profile.C167LoaderFile = QDir(testing::SamplesDir()).filePath(profile.C167LoaderFile);
    profile.PreLoaderFile = QDir(testing::SamplesDir()).filePath(profile.PreLoaderFile);
    testing::RecordingReporter reporter;
    app::WindowProtocolView view(reporter);
    SkipCounter counter(view);
    platform::QtEventPump pump;
    platform::QtSerialPort port([&sim](int) { return sim.devicePath(); });
    platform::PortSettings settings;
    settings.settings = profile.COMSettings;
    if (!port.open(settings, error))
        return false;
    protocol::Target target(port, counter, pump, profile);
    bench::CpuFlashRun cpuFlash;
    if (!cpuFlash.prepare(profile, error))
        return false;
    cpuFlash.job.blank = blank;
    QElapsedTimer wall;
    wall.start();
    const protocol::RunResult ran = cpuFlash.run(target);
    figures->wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    figures->skippedRecords = counter.skipped;
    port.close();
    sim.stop();
    figures->dump = sim.dump();
    if (ran.end != protocol::RunEnd::Completed
        || sim.memory() != testing::ImageOf(testing::ReadTestFile(kImage), cpuFlash.load.image->loadAddress)) {
        *error = QStringLiteral("the run failed: ") + reporter.events.join("; ");
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        return bench::Fail("bench_skip_blank", QStringLiteral("no temporary folder"));
    QByteArray image(kImageBytes, char(0xFF));
    QRandomGenerator random(kRandomSeed);
    for (qint64 i = 0; i < kDataBytes; ++i)
        image[i] = char(random.bounded(0xFF));  // never FFh: every data record goes out
    if (!testing::WriteTestFile(dir.filePath(kImage), image))
        return bench::Fail("bench_skip_blank", QStringLiteral("cannot write ") + kImage);
    std::printf("image            %lld bytes, the first %lld data, the rest FFh; %ld baud\n",
                static_cast<long long>(kImageBytes), static_cast<long long>(kDataBytes), kBaud);

    Figures whole, skipping;
    QString error;
    if (!Measure(protocol::BlankRecords::Send, &whole, &error)
        || !Measure(protocol::BlankRecords::Skip, &skipping, &error))
        return bench::Fail("bench_skip_blank", error);
    const double share = skipping.wallSeconds / whole.wallSeconds;
    std::printf("whole run        wall %.3f s\n", whole.wallSeconds);
    std::printf("skipping blanks  wall %.3f s, %d records skipped, %.3f of the whole run (goal at most %.2f)\n",
                skipping.wallSeconds, skipping.skippedRecords, share, kMostSkippingShare);
    const bool sameMemory = !whole.dump.isEmpty() && whole.dump == skipping.dump;
    std::printf("board memory     %s\n", sameMemory ? "the same after both runs" : "DIFFERS");
    if (!sameMemory || share > kMostSkippingShare)
        return bench::Fail("bench_skip_blank", QStringLiteral("goal missed"));
    return 0;
}
