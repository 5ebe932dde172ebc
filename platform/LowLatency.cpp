#include "LowLatency.h"

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace zandor::platform {

#ifdef Q_OS_LINUX
const int kLowLatencyFlag = ASYNC_LOW_LATENCY;

SerialDriverFlags SystemSerialDriverFlags()
{
    SerialDriverFlags flags;
    flags.read = [](int descriptor) -> std::optional<int> {
        serial_struct info {};
        if (::ioctl(descriptor, TIOCGSERIAL, &info) != 0)
            return std::nullopt;
        return info.flags;
    };
    // TIOCSSERIAL takes the whole structure: the other fields go back as they were read,
    // which is also what lets an unprivileged user change the flags a user may change.
    flags.write = [](int descriptor, int value) {
        serial_struct info {};
        if (::ioctl(descriptor, TIOCGSERIAL, &info) != 0)
            return false;
        info.flags = value;
        return ::ioctl(descriptor, TIOCSSERIAL, &info) == 0;
    };
    return flags;
}
#else
const int kLowLatencyFlag = 0x2000;  // the value Linux uses; no driver here has the mode

SerialDriverFlags SystemSerialDriverFlags()
{
    return {[](int) -> std::optional<int> { return std::nullopt; }, [](int, int) { return false; }};
}
#endif

LowLatencyState QueryLowLatency(int descriptor, const SerialDriverFlags& flags)
{
    const std::optional<int> value = flags.read ? flags.read(descriptor) : std::nullopt;
    if (!value)
        return LowLatencyState::Unsupported;
    return (*value & kLowLatencyFlag) ? LowLatencyState::On : LowLatencyState::Off;
}

LowLatencyMode::LowLatencyMode(SerialDriverFlags flags) : flags_(std::move(flags)) {}

LowLatencyState LowLatencyMode::enable(int descriptor)
{
    restore();
    const std::optional<int> before = flags_.read ? flags_.read(descriptor) : std::nullopt;
    if (!before)
        return LowLatencyState::Unsupported;
    if (*before & kLowLatencyFlag)
        return LowLatencyState::On;  // already on: nothing of ours to undo later
    if (!flags_.write || !flags_.write(descriptor, *before | kLowLatencyFlag))
        return LowLatencyState::Off;
    descriptor_ = descriptor;
    flagsBefore_ = before;
    return LowLatencyState::On;
}

void LowLatencyMode::restore()
{
    if (flagsBefore_ && flags_.write)
        flags_.write(descriptor_, *flagsBefore_);  // fails harmlessly on a vanished device
    flagsBefore_.reset();
    descriptor_ = -1;
}

}  // namespace zandor::platform
