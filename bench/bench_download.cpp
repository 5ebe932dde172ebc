// Programs the 64 KiB sample through the simulated board paced at 38400 baud and compares
// the time taken with the time the bytes need on the line. Run by hand:
//   <build>/bench/bench_download
// The tool should stay close to the wire bound while using little CPU.

#include "app/WindowProtocolView.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "profiles/ProfileData.h"
#include "protocol/Module1.h"
#include "support/RecordingReporter.h"
#include "support/SimulatedTarget.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>
#include <sys/resource.h>

using namespace zandor;

namespace {

constexpr long kBaud = 38400;
constexpr int kBitsPerByte = 10;         // start bit, 8 data bits, stop bit
constexpr int kChunkBytes = 64;          // data bytes per record of a binary file
constexpr int kRecordOverheadBytes = 8;  // "S", type, count, 4 address bytes, checksum
constexpr int kReplyBytes = 1;           // "*" per record
const QString kImage = QStringLiteral("Appl64k.bin");

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int Fail(const char* what, const QString& detail = {})
{
    std::fprintf(stderr, "bench_download: %s %s\n", what, qPrintable(detail));
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!QDir::setCurrent(testing::SamplesDir()))
        return Fail("no samples folder", testing::SamplesDir());

    testing::SimulatedTarget sim({QStringLiteral("--baud"), QString::number(kBaud)});
    if (!sim.start())
        return Fail("simulator:", sim.errorText());

    profiles::ProfileData profile;
    profile.COMSettings = QStringLiteral("%1,N,8,1").arg(kBaud);
    profile.C167ApplFile = kImage;
    profile.C167ApplFileOffset = QStringLiteral("00000000");
    testing::RecordingReporter reporter;
    platform::QtEventPump pump;
    platform::QtSerialPort port([&sim](int) { return sim.devicePath(); });
    platform::PortSettings settings;
    settings.settings = profile.COMSettings;
    QString why;
    if (!port.open(settings, &why))
        return Fail("cannot open the port:", why);
    app::WindowProtocolView view(reporter);
    protocol::Target target(port, view, pump, profile);

    if (protocol::IdentifyTarget(target, profiles::CpuFlashMemory) != protocol::Outcome::Done
        || !reporter.events.isEmpty())
        return Fail("identification or loader failed:", reporter.events.join(QStringLiteral("; ")));
    if (protocol::EraseFlash(target, profiles::CpuFlashMemory) != protocol::Outcome::Done)
        return Fail("erase failed:", reporter.events.join(QStringLiteral("; ")));
    const protocol::ApplicationLoad load = protocol::LoadApplicationImage(profile, profiles::CpuFlashMemory);
    if (!load.image)
        return Fail("image:", load.fault.text);

    const qint64 imageBytes = QFileInfo(kImage).size();
    const qint64 records = (imageBytes + kChunkBytes - 1) / kChunkBytes;
    const qint64 lineBytes = imageBytes + records * (kRecordOverheadBytes + kReplyBytes);
    const double wireSeconds = double(lineBytes) * kBitsPerByte / kBaud;

    QElapsedTimer wall;
    const double cpuBefore = CpuSeconds();
    wall.start();
    const bool sent =
        protocol::SendApplication(target, *load.image, profiles::CpuFlashMemory) == protocol::Outcome::Done;
    const double wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    const double cpuSeconds = CpuSeconds() - cpuBefore;
    if (!sent)
        return Fail("download failed:", reporter.events.join(QStringLiteral("; ")));

    port.close();
    sim.stop();
    const auto memory = sim.memory();
    if (memory.size() != imageBytes)
        return Fail("memory model does not hold the whole image");

    std::printf("image            %s, %lld bytes in %lld records\n", qPrintable(kImage),
                static_cast<long long>(imageBytes), static_cast<long long>(records));
    std::printf("line             %ld baud, %lld bytes both directions\n", kBaud,
                static_cast<long long>(lineBytes));
    std::printf("wire bound       %.3f s\n", wireSeconds);
    std::printf("wall time        %.3f s (%.1f%% of the wire bound)\n", wallSeconds,
                100.0 * wallSeconds / wireSeconds);
    std::printf("process CPU      %.3f s (%.1f%% of the wall time)\n", cpuSeconds,
                100.0 * cpuSeconds / wallSeconds);
    std::printf("overhead/record  %.3f ms\n", 1000.0 * (wallSeconds - wireSeconds) / double(records));
    return 0;
}
