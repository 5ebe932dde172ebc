// zandor-sim: a simulated C167 board behind a pseudo-terminal, for the tests and for
// trying the tool without a board. See samples/README.md.

#include "Board.h"
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

constexpr int kQuietRecordMs = 1000;  // a record unfinished this long was abandoned by the host
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

bool PublishLink(const std::string& link, const std::string& target, std::string& error)
{
    struct stat info;
    if (lstat(link.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode)) {
            error = link + " exists and is not a symbolic link; not replacing it";
            return false;
        }
        unlink(link.c_str());
    }
    if (symlink(target.c_str(), link.c_str()) != 0) {
        error = "cannot create the link " + link + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void RemoveLink(const std::string& link, const std::string& target)
{
    char buffer[4096];
    const ssize_t length = readlink(link.c_str(), buffer, sizeof buffer - 1);
    if (length < 0)
        return;
    buffer[length] = '\0';
    if (target == buffer)  // someone else's link stays
        unlink(link.c_str());
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
        const int timeout = board.midRecord() ? kQuietRecordMs : -1;
        const int ready = PollUnblocked(fds, watchStdin ? 2 : 1, timeout);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            log.write(std::string("poll-failed ") + std::strerror(errno));
            break;
        }
        if (ready == 0) {
            board.dropPartialRecord();
            continue;
        }
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
        if (watchStdin && fds[1].revents != 0) {
            char ignored[256];
            if (read(STDIN_FILENO, ignored, sizeof ignored) <= 0)
                break;
        }
    }

    log.write("traffic in " + std::to_string(line.bytesReceived()) + " out " +
              std::to_string(line.bytesSent()));
    log.write("closed");
    line.close();
    WriteDump(options.dumpPath, board.memory());
    if (!options.linkPath.empty())
        RemoveLink(options.linkPath, line.slavePath());
    return 0;
}
