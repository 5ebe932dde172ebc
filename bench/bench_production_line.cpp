// Production-line figures for zandor-cli, run by hand (see README):
//   gang   1, 4 and 8 simulated boards paced at 38400 baud, each receiving the 64 KiB sample,
//          side by side in one run: wall time as a ratio to one board, CPU time per board.
//   soak   --loop over 200 boards against the unpaced simulated board (which fits a fresh
//          board after each download): resident memory and open descriptors of zandor-cli
//          at board 10 and at board 200.
// ZANDOR_SIM, ZANDOR_CLI and ZANDOR_SAMPLES say where things are; by default the build tree.

#include "BenchSupport.h"
#include "support/SimulatedTarget.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <csignal>
#include <memory>
#include <vector>

using namespace zandor;

namespace {

constexpr long kBaud = 38400;
const QString kImage = QStringLiteral("Appl64k.bin");
constexpr int kGangSizes[] = {1, 4, 8};
constexpr int kSoakBoards = 200;
constexpr int kSoakFirstMeasuredBoard = 10;
constexpr int kSoakRearmMs = 20;  // the simulated operator fits the next board this soon
constexpr int kGangLimitMs = 10 * 60 * 1000;
constexpr int kSoakLimitMs = 30 * 60 * 1000;

struct GangFigures {
    double wallSeconds = 0;
    double cpuSecondsPerBoard = 0;
};

bool RunGang(int boards, GangFigures* figures, QString* error)
{
    std::vector<std::unique_ptr<testing::SimulatedTarget>> sims;
    QStringList arguments{QStringLiteral("program"), kImage, QStringLiteral("--baud"), QString::number(kBaud),
                          QStringLiteral("--quiet")};
    for (int i = 0; i < boards; ++i) {
        sims.push_back(std::make_unique<testing::SimulatedTarget>(
            QStringList{QStringLiteral("--baud"), QString::number(kBaud)}));
        if (!sims.back()->start()) {
            *error = sims.back()->errorText();
            return false;
        }
        arguments << QStringLiteral("--port") << sims.back()->devicePath();
    }
    const double cpuBefore = bench::CpuSeconds(RUSAGE_CHILDREN);
    QElapsedTimer wall;
    wall.start();
    QProcess cli;
    cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    cli.start(bench::CliPath(), arguments);
    if (!cli.waitForFinished(kGangLimitMs) || cli.exitCode() != 0) {
        *error = QStringLiteral("zandor-cli failed (exit %1): %2").arg(cli.exitCode()).arg(QString(cli.readAll()));
        return false;
    }
    figures->wallSeconds = wall.nsecsElapsed() / 1e9;
    // zandor-cli and its board processes, all ended and waited for; the simulators still run.
    figures->cpuSecondsPerBoard = (bench::CpuSeconds(RUSAGE_CHILDREN) - cpuBefore) / boards;
    for (auto& sim : sims) {
        sim->stop();
        if (sim->memory().size() != 65536) {
            *error = QStringLiteral("a board was not programmed whole");
            return false;
        }
    }
    return true;
}

qint64 ResidentKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

qsizetype OpenDescriptors(qint64 pid)
{
    return QDir(QStringLiteral("/proc/%1/fd").arg(pid)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size();
}

int Soak()
{
    testing::SimulatedTarget sim({QStringLiteral("--rearm"), QString::number(kSoakRearmMs)});
    if (!sim.start())
        return bench::Fail("bench_production_line", sim.errorText());
    QProcess cli;
    cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    cli.start(bench::CliPath(), {QStringLiteral("program"), kImage, QStringLiteral("--port"), sim.devicePath(),
                                 QStringLiteral("--loop"), QStringLiteral("--json")});
    qint64 rssAtFirst = 0;
    qsizetype fdsAtFirst = 0;
    int boards = 0;
    QElapsedTimer clock;
    clock.start();
    while (boards < kSoakBoards && clock.elapsed() < kSoakLimitMs && cli.state() != QProcess::NotRunning) {
        if (!cli.canReadLine() && !cli.waitForReadyRead(1000))
            continue;
        const QJsonObject event = QJsonDocument::fromJson(cli.readLine()).object();
        if (event.value(QStringLiteral("event")).toString() != QLatin1String("board"))
            continue;
        if (event.value(QStringLiteral("exit_code")).toInt() != 0)
            return bench::Fail("bench_production_line", QStringLiteral("board %1 failed").arg(boards + 1));
        if (++boards == kSoakFirstMeasuredBoard) {
            rssAtFirst = ResidentKiB(cli.processId());
            fdsAtFirst = OpenDescriptors(cli.processId());
        }
    }
    const qint64 rssAtLast = ResidentKiB(cli.processId());
    const qsizetype fdsAtLast = OpenDescriptors(cli.processId());
    ::kill(cli.processId(), SIGINT);
    cli.waitForFinished(10000);
    if (boards < kSoakBoards)
        return bench::Fail("bench_production_line", QStringLiteral("only %1 boards in time").arg(boards));
    std::printf("soak             %d boards in %.1f s (unpaced, %d ms to fit the next board)\n", boards,
                clock.elapsed() / 1000.0, kSoakRearmMs);
    std::printf("resident memory  %lld KiB at board %d, %lld KiB at board %d: %+lld KiB\n",
                static_cast<long long>(rssAtFirst), kSoakFirstMeasuredBoard, static_cast<long long>(rssAtLast),
                boards, static_cast<long long>(rssAtLast - rssAtFirst));
    std::printf("open descriptors %lld at board %d, %lld at board %d\n", static_cast<long long>(fdsAtFirst),
                kSoakFirstMeasuredBoard, static_cast<long long>(fdsAtLast), boards);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!QDir::setCurrent(testing::SamplesDir()))
        return bench::Fail("bench_production_line", QStringLiteral("no samples folder ") + testing::SamplesDir());
    const bool onlySoak = app.arguments().contains(QStringLiteral("--soak"));
    const bool onlyGang = app.arguments().contains(QStringLiteral("--gang"));

    if (!onlySoak) {
        double single = 0;
        for (int boards : kGangSizes) {
            GangFigures figures;
            QString error;
            if (!RunGang(boards, &figures, &error))
                return bench::Fail("bench_production_line", error);
            if (boards == 1)
                single = figures.wallSeconds;
            std::printf("gang of %d        wall %.2f s (%.3f x one board), CPU %.3f s per board (%.2f%% of one core)\n",
                        boards, figures.wallSeconds, figures.wallSeconds / single, figures.cpuSecondsPerBoard,
                        100.0 * figures.cpuSecondsPerBoard / figures.wallSeconds);
            std::fflush(stdout);
        }
    }
    return onlyGang ? 0 : Soak();
}
