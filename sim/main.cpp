// zandor-sim: a simulated C167 board behind a pseudo-terminal, for the tests and for
// trying the tool without a board. See samples/README.md.

#include "Board.h"
#include "DeviceLink.h"
#include "EventLog.h"
#include "Line.h"
#include "ModemFiles.h"
#include "SimOptions.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zandor::sim;

namespace {

constexpr int kReadChunk = 4096;
constexpr int kExitUsage = 2;
constexpr int kExitSetupFailed = 1;
// Line changes older than this are forgotten: no byte read now can have arrived before.
constexpr std::int64_t kWiringMemoryNs = 10LL * 1000 * kNanosecondsPerMillisecond;

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

// The board's reset and boot pins and the fixture's presence line, fed from the host's
// line changes. Without --reset-line the board answers as it always has.
class WiredBoard {
public:
    WiredBoard(const SimOptions& options, Board& board, EventLog& log)
        : options_(options), board_(board), log_(log),
          wiring_(Wiring{options.resetLine.value_or(WiredLine::Rts), options.bootLine.value_or(WiredLine::Dtr),
                         options.presenceLine})
    {
    }

    bool open(std::string& error)
    {
        if (options_.modemDir.empty())
            return true;
        if (!files_.open(options_.modemDir, error))
            return false;
        opened_ = true;
        return files_.writeInputs(wiring_.drivenInputs());
    }
    int changesFd() const { return opened_ ? files_.changesFd() : -1; }

    // Takes the changes the host made; a reset pulse restarts the chip.
    void takeChanges()
    {
        if (!opened_)
            return;
        for (const OutputChange& change : files_.takeChanges()) {
            const int resetsBefore = wiring_.resets();
            const BoardMode mode = wiring_.linesChanged(change);
            log_.write(std::string("lines dtr=") + (change.dtr ? "1" : "0") + " rts=" + (change.rts ? "1" : "0") +
                       (options_.resetLine ? std::string(" ") + BoardModeName(mode) : std::string()));
            if (options_.resetLine && wiring_.resets() > resetsBefore)
                board_.restart();
        }
        wiring_.forgetBefore(MonotonicNanoseconds() - kWiringMemoryNs);
    }

    // Whether the chip hears a byte that arrived then: only its bootstrap mode and the
    // loaders it starts do; held in reset or running its application it does not.
    bool hears(std::int64_t arrivalNs) const
    {
        return !options_.resetLine || wiring_.modeAt(arrivalNs) == BoardMode::Bootstrap;
    }

    // The presence line follows the board in the fixture.
    void followPresence()
    {
        if (!opened_ || board_.present() == wiring_.boardPresent())
            return;
        wiring_.setBoardPresent(board_.present());
        if (!files_.writeInputs(wiring_.drivenInputs()))
            log_.write(std::string("inputs-not-written ") + std::strerror(errno));
    }

private:
    const SimOptions& options_;
    Board& board_;
    EventLog& log_;
    BootWiring wiring_;
    ModemFiles files_;
    bool opened_ = false;
};

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
    WiredBoard wired(options, board, log);
    if (!wired.open(error)) {
        std::fprintf(stderr, "zandor-sim: %s\n", error.c_str());
        return kExitSetupFailed;
    }
    const bool watchStdin = StdinIsPipe();
    std::uint8_t buffer[kReadChunk];
    bool running = true;
    while (running && !StopRequested()) {
        if (TakeDumpRequest())
            WriteDump(options.dumpPath, board.memory());
        // A negative descriptor is skipped by poll.
        pollfd fds[3] = {{line.masterFd(), POLLIN, 0},
                         {watchStdin ? STDIN_FILENO : -1, POLLIN, 0},
                         {wired.changesFd(), POLLIN, 0}};
        const int ready = PollUnblocked(fds, 3, WaitLimitMs(board, line));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            log.write(std::string("poll-failed ") + std::strerror(errno));
            break;
        }
        line.deliverDue();
        // The line changes first: a reset pulse the host ended before it sent a byte must
        // be known when that byte is judged.
        wired.takeChanges();
        if (fds[0].revents != 0) {
            const int count = line.read(buffer, kReadChunk);
            if (count < 0) {
                log.write("line-gone");
                break;
            }
            for (int i = 0; i < count && running && !StopRequested(); ++i) {
                line.beginByte(i);
                if (!wired.hears(line.arrivalNs())) {
                    if (buffer[i] == kBootstrapRequest)
                        log.write("zero-unheard");
                    continue;
                }
                board.feed(buffer[i]);
                running = !board.wantsLineClosed();
            }
        }
        board.checkQuiet();
        wired.followPresence();
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
