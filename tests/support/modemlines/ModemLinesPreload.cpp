// Gives the simulator's pseudo-terminal the modem lines a real serial port has. A
// pseudo-terminal refuses TIOCMBIS and its kin (ENOTTY), so a program under test could
// never run a reset sequence on it. Loaded with LD_PRELOAD, this library answers TIOCMGET,
// TIOCMSET, TIOCMBIS and TIOCMBIC on the device named by ZANDOR_MODEMLINES_DEVICE (matched
// by device number, so any name or link of it counts), keeps DTR and RTS, appends each
// change with its time to ZANDOR_MODEMLINES_CHANGES, and reads DSR, DCD and CTS from
// ZANDOR_MODEMLINES_INPUTS. Every other ioctl, and these on other descriptors, goes to the
// C library unchanged.

#include "sim/ModemLineText.h"

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using IoctlFunction = int (*)(int, unsigned long, ...);

constexpr int kOutputBits = TIOCM_DTR | TIOCM_RTS;
constexpr int kMaxInputsFileBytes = 64;

std::mutex gLock;
int gOutputs = 0;  // TIOCM_DTR and TIOCM_RTS as last set; released at start like a powered-down fixture

IoctlFunction RealIoctl()
{
    static const auto real = reinterpret_cast<IoctlFunction>(dlsym(RTLD_NEXT, "ioctl"));
    return real;
}

bool IsSimulatedDevice(int fd)
{
    const char* device = std::getenv(zandor::sim::kModemDeviceVariable);
    struct stat named;
    struct stat held;
    return device && *device && ::stat(device, &named) == 0 && ::fstat(fd, &held) == 0 && S_ISCHR(held.st_mode) &&
           held.st_rdev == named.st_rdev;
}

std::int64_t MonotonicNanoseconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// One write of one whole line: appends to a file, and to a FIFO stays atomic (below PIPE_BUF).
void ReportOutputs(int outputs)
{
    const char* path = std::getenv(zandor::sim::kModemChangesVariable);
    if (!path || !*path)
        return;
    const int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0)
        return;  // no simulator listening: the lines still work for the program
    const std::string line = zandor::sim::FormatOutputChange(
        {MonotonicNanoseconds(), (outputs & TIOCM_DTR) != 0, (outputs & TIOCM_RTS) != 0});
    [[maybe_unused]] const ssize_t wrote = ::write(fd, line.data(), line.size());
    ::close(fd);
}

int DrivenInputBits()
{
    char text[kMaxInputsFileBytes + 1] = {};
    const char* path = std::getenv(zandor::sim::kModemInputsVariable);
    const int fd = path && *path ? ::open(path, O_RDONLY | O_CLOEXEC) : -1;
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t got = ::read(fd, text, kMaxInputsFileBytes);
        ::close(fd);
    }
    const zandor::sim::DrivenInputs inputs = zandor::sim::ParseDrivenInputs(text);
    return (inputs.dsr ? TIOCM_DSR : 0) | (inputs.dcd ? TIOCM_CAR : 0) | (inputs.cts ? TIOCM_CTS : 0);
}

int Simulate(unsigned long request, int* bits)
{
    if (!bits) {
        errno = EFAULT;
        return -1;
    }
    const std::lock_guard<std::mutex> hold(gLock);
    if (request == TIOCMGET) {
        *bits = gOutputs | DrivenInputBits();
        return 0;
    }
    if (request == TIOCMSET)
        gOutputs = *bits & kOutputBits;
    else if (request == TIOCMBIS)
        gOutputs |= *bits & kOutputBits;
    else
        gOutputs &= ~(*bits & kOutputBits);
    ReportOutputs(gOutputs);
    return 0;
}

}  // namespace

extern "C" int ioctl(int fd, unsigned long request, ...) __THROW
{
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    const bool modemRequest = request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC;
    if (modemRequest && IsSimulatedDevice(fd))
        return Simulate(request, static_cast<int*>(argument));
    const IoctlFunction real = RealIoctl();
    if (!real) {
        errno = ENOSYS;
        return -1;
    }
    return real(fd, request, argument);
}
