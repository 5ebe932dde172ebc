// zandor-sim: a simulated C167 board behind a pseudo-terminal, for the tests and for
// trying the tool without a board. See samples/README.md.

#include "Board.h"
#include "DeviceLink.h"
#include "EventLog.h"
#include "Line.h"
#include "SimOptions.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zandor::sim;

namespace {

constexpr int kReadChunk = 4096;
constexpr int kExitUsage = 2;
constexpr int kExitSetupFailed = 1;

bool WriteDump(const std::string& path, const MemoryModel& memory)
{
    if (path.empty())
        return true;
    // Written beside and renamed, so a reader never sees half a dump.
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << FormatMemoryDump(memory);
        if (!out.flush())
            return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

// How long the loop may sleep (ms, -1: no limit): until the board's quiet deadline or
// the next reply the line holds for its latency, whichever comes first.
int WaitLimitMs(const Board& board, const Line& line)
{
    std::int64_t wake = line.nextDeliveryNs();
    const std::int64_t quiet = board.quietDeadlineMs();
    if (quiet != kNoDeadline && (wake < 0 || quiet * kNanosecondsPerMillisecond < wake))
        wake = quiet * kNanosecondsPerMillisecond;
    if (wake < 0)
        return -1;
    const std::int64_t left = wake - MonotonicNanoseconds();
    // Rounded up: waking a little early would only lead to another short wait.
    return left <= 0 ? 0
                     : static_cast<int>((left + kNanosecondsPerMillisecond - 1) /
                                        kNanosecondsPerMillisecond);
}

// A parent that talks to us through a pipe (a test harness) ends us by closing it, so a
// crashed test leaves no board behind. A terminal or /dev/null is not watched.
bool StdinIsPipe()
{
    struct stat info;
    return fstat(STDIN_FILENO, &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode));
}

}  // namespace

int main(int argc, char** argv)
{
    SimOptions options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        if (!error.empty())
            std::fprintf(stderr, "zandor-sim: %s\n", error.c_str());
        std::fputs(UsageText().c_str(), stderr);
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(HelpText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("zandor-sim %d.%d.%d\n", ZANDOR_VERSION_MAJOR, ZANDOR_VERSION_MINOR, ZANDOR_VERSION_REVISION);
        return 0;
    }
    InstallSignalHandlers();

    EventLog log;
    if (!log.open(options.logPath)) {
        std::fprintf(stderr, "zandor-sim: cannot open the log %s: %s\n", options.logPath.c_str(),
                     std::strerror(errno));
        return kExitSetupFailed;
    }
    Line line;
    if (!line.open(error)) {
        std::fprintf(stderr, "zandor-sim: %s\n", error.c_str());
        return kExitSetupFailed;
    }
    line.setBaud(options.baud);
    line.setLatency(options.latencyMs);
    if (!options.linkPath.empty() && !PublishLink(options.linkPath, line.slavePath(), error)) {
        std::fprintf(stderr, "zandor-sim: %s\n", error.c_str());
        return kExitSetupFailed;
    }
    std::printf("ready %s\n", line.slavePath().c_str());
    std::fflush(stdout);

    Board board(options, line, log);
    const bool watchStdin = StdinIsPipe();
    std::uint8_t buffer[kReadChunk];
    bool running = true;
    while (running && !StopRequested()) {
        if (TakeDumpRequest())
            WriteDump(options.dumpPath, board.memory());
        pollfd fds[2] = {{line.masterFd(), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        const int ready = PollUnblocked(fds, watchStdin ? 2 : 1, WaitLimitMs(board, line));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            log.write(std::string("poll-failed ") + std::strerror(errno));
            break;
        }
        line.deliverDue();
        if (fds[0].revents != 0) {
            const int count = line.read(buffer, kReadChunk);
            if (count < 0) {
                log.write("line-gone");
                break;
            }
            for (int i = 0; i < count && running && !StopRequested(); ++i) {
                line.beginByte(i);
                board.feed(buffer[i]);
                running = !board.wantsLineClosed();
            }
        }
        board.checkQuiet();
        if (watchStdin && fds[1].revents != 0) {
            char ignored[256];
            if (read(STDIN_FILENO, ignored, sizeof ignored) <= 0)
                break;
        }
    }

    line.drain();
    log.write("traffic in " + std::to_string(line.bytesReceived()) + " out " +
              std::to_string(line.bytesSent()));
    log.write("closed");
    if (!options.linkPath.empty())
        RemoveLink(options.linkPath, line.slavePath());
    line.close();
    WriteDump(options.dumpPath, board.memory());
    return 0;
}
