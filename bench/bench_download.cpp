// Programs the 64 KiB sample through the simulated board paced at 38400 baud and compares
// the time taken with the time the bytes need on the line, first on a plain line, then
// behind a USB adapter's latency timer of 16 ms (the usual default) and of 1 ms (what low
// latency mode gives). Run by hand:
//   <build>/bench/bench_download [--latency-only | --plain-only]
// The tool should stay close to the wire bound while using little CPU.

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
#include <QFileInfo>

using namespace zandor;

namespace {

constexpr long kBaud = 38400;
constexpr int kBitsPerByte = 10;         // start bit, 8 data bits, stop bit
constexpr int kChunkBytes = 64;          // data bytes per record of a binary file
constexpr int kRecordOverheadBytes = 8;  // "S", type, count, 4 address bytes, checksum
constexpr int kReplyBytes = 1;           // "*" per record
constexpr int kAdapterLatenciesMs[] = {16, 1};
const QString kImage = QStringLiteral("Appl64k.bin");

struct Figures {
    double wallSeconds = 0;
    double cpuSeconds = 0;
};

// Passes the events on and times the download step, from its start to its end.
class DownloadClock : public protocol::IProtocolObserver {
public:
    explicit DownloadClock(protocol::IProtocolObserver& next) : next_(next) {}

    void onStep(const protocol::StepEvent& event) override
    {
        if (event.phase == protocol::Phase::Download) {
            cpuBefore_ = bench::CpuSeconds();
            wall_.start();
        }
        next_.onStep(event);
    }
    void onProgress(const protocol::ProgressEvent& event) override { next_.onProgress(event); }
    void onReply(const protocol::ReplyEvent& event) override { next_.onReply(event); }
    void onFault(const protocol::FaultEvent& event) override { next_.onFault(event); }
    void onStepEnd(const protocol::StepEndEvent& event) override
    {
        if (event.phase == protocol::Phase::Download) {
            figures.wallSeconds = double(wall_.nsecsElapsed()) / 1e9;
            figures.cpuSeconds = bench::CpuSeconds() - cpuBefore_;
        }
        next_.onStepEnd(event);
    }

    Figures figures;

private:
    protocol::IProtocolObserver& next_;
    QElapsedTimer wall_;
    double cpuBefore_ = 0;
};

// One whole programming run (identification, loader, erase, download), the download timed.
bool Measure(int latencyMs, Figures* figures, QString* error)
{
    QStringList simulator{QStringLiteral("--baud"), QString::number(kBaud)};
    if (latencyMs > 0)
        simulator << QStringLiteral("--latency") << QString::number(latencyMs);
    testing::SimulatedTarget sim(simulator);
    if (!sim.start()) {
        *error = sim.errorText();
        return false;
    }
    profiles::ProfileData profile;
    profile.COMSettings = QStringLiteral("%1,N,8,1").arg(kBaud);
    profile.C167ApplFile = kImage;
    testing::RecordingReporter reporter;
    app::WindowProtocolView view(reporter);
    platform::QtEventPump pump;
    platform::QtSerialPort port([&sim](int) { return sim.devicePath(); });
    platform::PortSettings settings;
    settings.settings = profile.COMSettings;
    if (!port.open(settings, error))
        return false;
    DownloadClock clock(view);
    protocol::Target target(port, clock, pump, profile);
    bench::CpuFlashRun cpuFlash;
    if (!cpuFlash.prepare(profile, error))
        return false;
    const protocol::RunResult ran = cpuFlash.run(target);
    *figures = clock.figures;
    port.close();
    sim.stop();
    if (ran.end != protocol::RunEnd::Completed || sim.memory() != testing::ImageOf(testing::SampleBytes(kImage), 0)) {
        *error = QStringLiteral("the run failed: ") + reporter.events.join("; ");
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!QDir::setCurrent(testing::SamplesDir()))
        return bench::Fail("bench_download", QStringLiteral("no samples folder ") + testing::SamplesDir());

    const qint64 imageBytes = QFileInfo(kImage).size();
    const qint64 records = (imageBytes + kChunkBytes - 1) / kChunkBytes;
    const qint64 lineBytes = imageBytes + records * (kRecordOverheadBytes + kReplyBytes);
    const double wireSeconds = double(lineBytes) * kBitsPerByte / kBaud;
    std::printf("image            %s, %lld bytes in %lld records\n", qPrintable(kImage),
                static_cast<long long>(imageBytes), static_cast<long long>(records));
    std::printf("line             %ld baud, %lld bytes both directions, wire bound %.3f s\n", kBaud,
                static_cast<long long>(lineBytes), wireSeconds);

    QList<int> latencies;
    if (!app.arguments().contains(QStringLiteral("--latency-only")))
        latencies << 0;
    if (!app.arguments().contains(QStringLiteral("--plain-only"))) {
        for (int ms : kAdapterLatenciesMs)
            latencies << ms;
    }
    for (int latencyMs : latencies) {
        Figures figures;
        QString error;
        if (!Measure(latencyMs, &figures, &error))
            return bench::Fail("bench_download", error);
        const QString label = latencyMs == 0 ? QStringLiteral("plain line") : QStringLiteral("latency %1 ms").arg(latencyMs);
        std::printf("%-16s wall %.3f s (%.1f%% of the wire bound, %.3f ms/record over it), CPU %.3f s (%.1f%%)\n",
                    qPrintable(label), figures.wallSeconds, 100.0 * figures.wallSeconds / wireSeconds,
                    1000.0 * (figures.wallSeconds - wireSeconds) / double(records), figures.cpuSeconds,
                    100.0 * figures.cpuSeconds / figures.wallSeconds);
        std::fflush(stdout);
    }
    return 0;
}
