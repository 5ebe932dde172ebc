#include "Line.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace zandor::sim {

namespace {

constexpr int kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
constexpr std::int64_t kNanosecondsPerSecond = 1000000000;

volatile std::sig_atomic_t gStop = 0;
volatile std::sig_atomic_t gDump = 0;
sigset_t gUnblocked;  // the mask ppoll sleeps with: our signals let through

void OnStop(int) { gStop = 1; }
void OnDump(int) { gDump = 1; }

timespec ToTimespec(std::int64_t nanoseconds)
{
    timespec ts;
    ts.tv_sec = static_cast<time_t>(nanoseconds / kNanosecondsPerSecond);
    ts.tv_nsec = static_cast<long>(nanoseconds % kNanosecondsPerSecond);
    return ts;
}

}  // namespace

std::int64_t MonotonicNanoseconds()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * kNanosecondsPerSecond + ts.tv_nsec;
}

void InstallSignalHandlers()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    sigemptyset(&action.sa_mask);
    action.sa_handler = OnStop;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    action.sa_handler = OnDump;
    sigaction(SIGUSR1, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    sigset_t ours;
    sigemptyset(&ours);
    sigaddset(&ours, SIGTERM);
    sigaddset(&ours, SIGINT);
    sigaddset(&ours, SIGUSR1);
    sigprocmask(SIG_BLOCK, &ours, &gUnblocked);
    sigdelset(&gUnblocked, SIGTERM);
    sigdelset(&gUnblocked, SIGINT);
    sigdelset(&gUnblocked, SIGUSR1);
}

bool StopRequested()
{
    return gStop != 0;
}

bool TakeDumpRequest()
{
    if (!gDump)
        return false;
    gDump = 0;
    return true;
}

int PollUnblocked(pollfd* fds, int count, int timeoutMs)
{
    if (timeoutMs < 0)
        return ppoll(fds, static_cast<nfds_t>(count), nullptr, &gUnblocked);
    const timespec timeout = ToTimespec(timeoutMs * kNanosecondsPerMillisecond);
    return ppoll(fds, static_cast<nfds_t>(count), &timeout, &gUnblocked);
}

bool SleepUntil(std::int64_t deadline)
{
    for (;;) {
        if (StopRequested())
            return false;
        const std::int64_t left = deadline - MonotonicNanoseconds();
        if (left <= 0)
            return true;
        const timespec timeout = ToTimespec(left);
        ppoll(nullptr, 0, &timeout, &gUnblocked);
    }
}

Line::~Line()
{
    close();
}

bool Line::open(std::string& error)
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    const char* name = ptsname(master_);
    if (!name) {
        error = std::string("cannot name the pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        error = "cannot open " + slavePath_ + ": " + std::strerror(errno);
        return false;
    }
    // Raw in both directions: no byte is translated, swallowed or taken as flow control.
    termios settings;
    if (tcgetattr(slave_, &settings) != 0) {
        error = std::string("cannot read the terminal settings: ") + std::strerror(errno);
        return false;
    }
    cfmakeraw(&settings);
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    if (tcsetattr(slave_, TCSANOW, &settings) != 0) {
        error = std::string("cannot make the terminal raw: ") + std::strerror(errno);
        return false;
    }
    return true;
}

void Line::close()
{
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = master_ = -1;
}

void Line::setBaud(long baud)
{
    byteNanoseconds_ = baud > 0 ? kBitsPerByte * kNanosecondsPerSecond / baud : 0;
}

void Line::setLatency(int milliseconds)
{
    latencyNanoseconds_ = milliseconds * kNanosecondsPerMillisecond;
}

std::int64_t Line::nowMs() const
{
    return std::max(arrival_, MonotonicNanoseconds()) / kNanosecondsPerMillisecond;
}

int Line::read(std::uint8_t* buffer, int capacity)
{
    const ssize_t count = ::read(master_, buffer, static_cast<size_t>(capacity));
    if (count < 0)
        return (errno == EINTR || errno == EAGAIN) ? 0 : -1;
    if (count == 0)
        return -1;
    // The bytes came over the wire back to back, starting when it was free.
    readStart_ = std::max(rxFree_, MonotonicNanoseconds());
    rxFree_ = readStart_ + count * byteNanoseconds_;
    bytesReceived_ += count;
    return static_cast<int>(count);
}

void Line::beginByte(int index)
{
    arrival_ = readStart_ + (index + 1) * byteNanoseconds_;
}

void Line::send(const std::string& bytes)
{
    if (master_ < 0 || bytes.empty())
        return;
    if (byteNanoseconds_ == 0) {
        hand(bytes, MonotonicNanoseconds());
        return;
    }
    // A reply cannot start before the byte it answers has fully arrived; each byte is
    // handed over once its 10 bit times on the wire are done.
    waitUntil(arrival_);
    for (char byte : bytes) {
        const std::int64_t done = std::max(txFree_, MonotonicNanoseconds()) + byteNanoseconds_;
        waitUntil(done);
        txFree_ = done;
        hand(std::string(1, byte), done);
    }
}

void Line::pause(int milliseconds)
{
    const std::int64_t from = std::max(arrival_, MonotonicNanoseconds());
    waitUntil(from + milliseconds * kNanosecondsPerMillisecond);
}

void Line::hand(const std::string& bytes, std::int64_t sentAt)
{
    if (latencyNanoseconds_ == 0) {
        write(bytes);
        return;
    }
    held_.push_back({sentAt + latencyNanoseconds_, bytes});  // due times only grow: stays in order
}

void Line::write(const std::string& bytes)
{
    (void)!::write(master_, bytes.data(), bytes.size());
    bytesSent_ += static_cast<std::int64_t>(bytes.size());
}

void Line::deliverDue()
{
    const std::int64_t now = MonotonicNanoseconds();
    while (!held_.empty() && held_.front().due <= now) {
        if (master_ >= 0)
            write(held_.front().bytes);
        held_.pop_front();
    }
}

std::int64_t Line::nextDeliveryNs() const
{
    return held_.empty() ? -1 : held_.front().due;
}

void Line::drain()
{
    while (!held_.empty()) {
        if (!waitUntil(held_.front().due))
            return;
    }
}

bool Line::waitUntil(std::int64_t deadline)
{
    for (;;) {
        deliverDue();
        const std::int64_t wake = held_.empty() ? deadline : std::min(deadline, held_.front().due);
        if (!SleepUntil(wake))
            return false;
        if (wake == deadline) {
            deliverDue();
            return true;
        }
    }
}

}  // namespace zandor::sim
