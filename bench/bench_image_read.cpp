// Reads and checks an application image held as S-records and as Intel HEX, at 512 KiB and
// at 16 MiB of data: the Intel HEX reader may take at most 1.5 times the S-record time and
// no more peak memory. Each figure comes from a child process of its own, so one format's
// allocations do not raise the other's peak. Run by hand:
//   <build>/bench/bench_image_read

#include "BenchSupport.h"
#include "protocol/ApplicationImage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using namespace zandor;

namespace {

const qsizetype kImageSizes[] = {512 * 1024, 16 * 1024 * 1024};
constexpr int kLineDataBytes = 32;  // what srec_cat and the C166 converters write per line
constexpr int kRuns = 5;            // timings per figure; the median is printed
constexpr double kAllowedTimeRatio = 1.5;
constexpr std::uint32_t kBaseAddress = 0x00010000;

QByteArray Line(char start, const QByteArray& fields)
{
    std::uint8_t sum = 0;
    for (char byte : fields)
        sum += std::uint8_t(byte);
    const QByteArray checksum(1, char(start == 'S' ? std::uint8_t(0xFF - sum) : std::uint8_t(-sum)));
    return QByteArray(1, start) + (fields + checksum).toHex().toUpper() + "\r\n";
}

QByteArray Data(qsizetype size)
{
    QByteArray data(size, '\0');
    std::uint32_t state = 0x5EED;
    for (char& byte : data) {
        state = state * 1103515245u + 12345u;
        byte = char(state >> 16);
    }
    return data;
}

QByteArray SRecordFile(const QByteArray& data)
{
    QByteArray file;
    for (qsizetype at = 0; at < data.size(); at += kLineDataBytes) {
        const QByteArray chunk = data.mid(at, kLineDataBytes);
        const std::uint32_t address = kBaseAddress + std::uint32_t(at);
        QByteArray fields;
        fields.append(char(chunk.size() + 5)).append(char(address >> 24)).append(char(address >> 16));
        fields.append(char(address >> 8)).append(char(address)).append(chunk);
        file += "S3" + Line('S', fields).mid(1);
    }
    return file + "S70500000000FA\r\n";
}

QByteArray IntelHexFile(const QByteArray& data)
{
    QByteArray file;
    for (qsizetype at = 0; at < data.size(); at += kLineDataBytes) {
        const std::uint32_t address = kBaseAddress + std::uint32_t(at);
        if (at == 0 || address % 0x10000 == 0) {
            QByteArray base;
            base.append(char(2)).append('\0').append('\0').append(char(4));
            base.append(char(address >> 24)).append(char(address >> 16));
            file += Line(':', base);
        }
        const QByteArray chunk = data.mid(at, kLineDataBytes);
        QByteArray fields;
        fields.append(char(chunk.size())).append(char(address >> 8)).append(char(address)).append('\0').append(chunk);
        file += Line(':', fields);
    }
    return file + ":00000001FF\r\n";
}

// Child: reads and builds the file kRuns times; prints the median milliseconds and the
// process's peak resident memory in KiB.
int MeasureOne(const QString& path)
{
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return bench::Fail("bench_image_read", QStringLiteral("cannot read %1").arg(path));
        const QByteArray bytes = file.readAll();
        protocol::ImageFault fault;
        const auto image = protocol::BuildApplicationImage(bytes, path, QString(), &fault);
        if (!image)
            return bench::Fail("bench_image_read", fault.text);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.1f %ld\n", times[times.size() / 2], usage.ru_maxrss);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--one")
        return MeasureOne(QString::fromLocal8Bit(argv[2]));

    QTemporaryDir dir;
    bool withinGoal = true;
    std::printf("%-10s %-10s %10s %12s %10s\n", "data", "format", "time ms", "file KiB", "peak KiB");
    for (qsizetype size : kImageSizes) {
        const QByteArray data = Data(size);
        double times[2] = {};
        long peaks[2] = {};
        const struct {
            const char* name;
            QString file;
            QByteArray bytes;
        } formats[] = {{"S-record", dir.filePath(QStringLiteral("image.sre")), SRecordFile(data)},
                       {"Intel HEX", dir.filePath(QStringLiteral("image.hex")), IntelHexFile(data)}};
        for (int f = 0; f < 2; ++f) {
            QFile out(formats[f].file);
            if (!out.open(QIODevice::WriteOnly) || out.write(formats[f].bytes) != formats[f].bytes.size())
                return bench::Fail(argv[0], QStringLiteral("cannot write %1").arg(formats[f].file));
            out.close();
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--one"), formats[f].file});
            if (!child.waitForFinished(600000) || child.exitCode() != 0)
                return bench::Fail(argv[0], QString::fromLocal8Bit(child.readAllStandardError()));
            const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
            times[f] = figures.value(0).toDouble();
            peaks[f] = figures.value(1).toLong();
            std::printf("%-10s %-10s %10.1f %12lld %10ld\n", qPrintable(QStringLiteral("%1 KiB").arg(size / 1024)),
                        formats[f].name, times[f], static_cast<long long>(formats[f].bytes.size() / 1024), peaks[f]);
        }
        const bool ok = times[1] <= kAllowedTimeRatio * times[0] && peaks[1] <= peaks[0];
        std::printf("%-10s Intel HEX / S-record: time x%.2f, peak x%.2f %s\n", "", times[1] / times[0],
                    double(peaks[1]) / double(peaks[0]), ok ? "(within the goal)" : "(ABOVE THE GOAL)");
        withinGoal = withinGoal && ok;
    }
    return withinGoal ? 0 : 1;
}
