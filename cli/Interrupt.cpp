#include "Interrupt.h"

#include "ExitCodes.h"

#include <QCoreApplication>
#include <QProcess>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace zandor::cli {

namespace {

volatile std::sig_atomic_t gInterrupts = 0;
volatile std::sig_atomic_t gHangUps = 0;
volatile std::sig_atomic_t gProgressLineOpen = 0;
// Standard output and error (by descriptor) once their reader has gone: written no more.
volatile std::sig_atomic_t gLost[3] = {0, 0, 0};
// The processes a Ctrl-C or a hang-up is passed on to. The handler may not allocate, so the list grows
// outside it: a full array is copied into one twice its size, which is published before the
// count grows. An old array is never freed, as a handler may still be reading it.
constexpr int kFirstForwardCapacity = 16;
std::atomic<pid_t*> gForwardTo{nullptr};
std::atomic<int> gForwardCount{0};
int gForwardCapacity = 0;
static_assert(std::atomic<pid_t*>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "read in a signal handler");

// The texts a Ctrl-C writes, prepared beforehand: a signal handler may not format or allocate.
constexpr std::size_t kMaxText = 512;
char gNotice[kMaxText];
std::size_t gNoticeSize = 0;
char gLastWords[kMaxText];
std::size_t gLastWordsSize = 0;
int gLastWordsFd = STDERR_FILENO;
bool gLastWordsAreJson = false;
struct timespec gStart {};

bool Lost(int fd) { return fd >= 0 && fd < 3 && gLost[fd]; }

void WriteAll(int fd, const char* text, std::size_t size)
{
    if (Lost(fd))
        return;
    while (size > 0) {
        const ssize_t written = ::write(fd, text, size);
        if (written <= 0)
            return;
        text += written;
        size -= std::size_t(written);
    }
}

// `,"seconds":12.34}` and the line end, for the JSON result line, by hand.
void WriteSecondsAndClose(int fd)
{
    struct timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    constexpr long kNanosecondsPerHundredth = 10'000'000;
    long hundredths = (now.tv_sec - gStart.tv_sec) * 100 + (now.tv_nsec - gStart.tv_nsec) / kNanosecondsPerHundredth;
    if (hundredths < 0)
        hundredths = 0;
    char digits[32];
    int at = sizeof digits;
    digits[--at] = '\n';
    digits[--at] = '}';
    for (int place = 0; place < 3 || hundredths > 0; ++place) {
        if (place == 2)
            digits[--at] = '.';
        digits[--at] = char('0' + hundredths % 10);
        hundredths /= 10;
    }
    WriteAll(fd, ",\"seconds\":", 11);
    WriteAll(fd, digits + at, sizeof digits - std::size_t(at));
}

void Forward(int signal)
{
    const int forwards = gForwardCount.load();
    const pid_t* forwardTo = gForwardTo.load();
    for (int i = 0; i < forwards; ++i)
        ::kill(forwardTo[i], signal);
}

// Only async-signal-safe calls in the handlers.
void OnInterrupt(int)
{
    Forward(SIGINT);
    if (gProgressLineOpen)
        WriteAll(STDERR_FILENO, "\n", 1);
    if (++gInterrupts < 2) {
        WriteAll(STDERR_FILENO, gNotice, gNoticeSize);
        return;
    }
    WriteAll(gLastWordsFd, gLastWords, gLastWordsSize);
    if (gLastWordsAreJson)
        WriteSecondsAndClose(gLastWordsFd);
    ::_exit(kExitInterrupted);
}

void OnHangUp(int signal)
{
    if (gHangUps++ == 0) {
        Forward(SIGHUP);
        return;
    }
    OnInterrupt(signal);
}

std::size_t CopyText(char* to, const QByteArray& text)
{
    const std::size_t size = std::min<std::size_t>(std::size_t(text.size()), kMaxText);
    std::memcpy(to, text.constData(), size);
    return size;
}

}  // namespace

void SetInterruptTexts(const QByteArray& notice, const QByteArray& lastWords, bool json)
{
    sigset_t interrupts;
    sigemptyset(&interrupts);
    sigaddset(&interrupts, SIGINT);
    sigaddset(&interrupts, SIGTERM);
    sigaddset(&interrupts, SIGHUP);
    sigset_t before;
    sigprocmask(SIG_BLOCK, &interrupts, &before);  // no handler sees half a text
    gNoticeSize = CopyText(gNotice, notice);
    gLastWordsSize = CopyText(gLastWords, lastWords);
    gLastWordsAreJson = json;
    gLastWordsFd = json ? STDOUT_FILENO : STDERR_FILENO;
    sigprocmask(SIG_SETMASK, &before, nullptr);
}

void InstallInterruptHandler()
{
    ::clock_gettime(CLOCK_MONOTONIC, &gStart);
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    sigemptyset(&action.sa_mask);
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    action.sa_handler = OnHangUp;
    sigaction(SIGHUP, &action, nullptr);
    // A closed pipe shows as EPIPE where we write, a file size limit as a short write.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

bool InterruptRequested() { return gInterrupts > 0; }

bool HangUpRequested() { return gHangUps > 0; }

bool NoFurtherBoard() { return InterruptRequested() || HangUpRequested(); }

void SetProgressLineOpen(bool open) { gProgressLineOpen = open ? 1 : 0; }

void WriteToOutput(int fd, const QByteArray& bytes)
{
    const char* text = bytes.constData();
    std::size_t size = std::size_t(bytes.size());
    while (size > 0 && !Lost(fd)) {
        const ssize_t written = ::write(fd, text, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            // The reader has gone: a pipe's (EPIPE), a hung-up terminal's (EIO).
            if (written < 0 && (errno == EPIPE || errno == EIO || errno == ECONNRESET) && fd >= 0 && fd < 3) {
                gLost[fd] = 1;
                if (!HangUpRequested())
                    ::raise(SIGHUP);
            }
            return;
        }
        text += written;
        size -= std::size_t(written);
    }
}

void ForwardInterruptsTo(long processId)
{
    const int count = gForwardCount.load();
    if (count == gForwardCapacity) {
        const int capacity = std::max(kFirstForwardCapacity, 2 * gForwardCapacity);
        pid_t* grown = new pid_t[capacity];
        std::copy_n(gForwardTo.load(), count, grown);
        gForwardTo.store(grown);
        gForwardCapacity = capacity;
    }
    gForwardTo.load()[count] = static_cast<pid_t>(processId);
    gForwardCount.store(count + 1);
}

bool StartBoardProcess(QProcess& process, const QStringList& arguments)
{
    process.setChildProcessModifier([] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGHUP);
    });
    process.start(QCoreApplication::applicationFilePath(), arguments);
    if (!process.waitForStarted())
        return false;
    ForwardInterruptsTo(process.processId());
    return true;
}

}  // namespace zandor::cli
