#include "Interrupt.h"

#include "ExitCodes.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <ctime>
#include <signal.h>
#include <unistd.h>

namespace zandor::cli {

namespace {

volatile std::sig_atomic_t gInterrupts = 0;
volatile std::sig_atomic_t gProgressLineOpen = 0;
constexpr int kMaxForwarded = 64;  // board processes of one gang run
pid_t gForwardTo[kMaxForwarded];
volatile std::sig_atomic_t gForwardCount = 0;

// The texts a Ctrl-C writes, prepared beforehand: a signal handler may not format or allocate.
constexpr std::size_t kMaxText = 512;
char gNotice[kMaxText];
std::size_t gNoticeSize = 0;
char gLastWords[kMaxText];
std::size_t gLastWordsSize = 0;
int gLastWordsFd = STDERR_FILENO;
bool gLastWordsAreJson = false;
struct timespec gStart {};

void WriteAll(int fd, const char* text, std::size_t size)
{
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

void OnInterrupt(int)
{
    // Only async-signal-safe calls in here.
    for (int i = 0; i < gForwardCount; ++i)
        ::kill(gForwardTo[i], SIGINT);
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
}

bool InterruptRequested() { return gInterrupts > 0; }

void SetProgressLineOpen(bool open) { gProgressLineOpen = open ? 1 : 0; }

void ForwardInterruptsTo(long processId)
{
    if (gForwardCount < kMaxForwarded) {
        gForwardTo[gForwardCount] = static_cast<pid_t>(processId);
        gForwardCount = gForwardCount + 1;
    }
}

}  // namespace zandor::cli
