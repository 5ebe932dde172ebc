#pragma once

#include <functional>
#include <optional>

namespace zandor::platform {

// The driver's flag word of an open serial device (TIOCGSERIAL and TIOCSSERIAL on Linux),
// behind two functions so that a test can stand in for the driver.
struct SerialDriverFlags {
    // The flags of `descriptor`; no value when the driver has none to give.
    std::function<std::optional<int>(int descriptor)> read;
    // Sets the flags of `descriptor`; false when the driver refuses.
    std::function<bool(int descriptor, int flags)> write;
};

// The kernel's ioctls on Linux; elsewhere both always refuse.
SerialDriverFlags SystemSerialDriverFlags();

// The flag that makes the driver hand each received byte on at once (ASYNC_LOW_LATENCY).
// USB-serial adapters otherwise hold received bytes for their latency timer (16 ms by
// default on common chips) before sending them to the host, and our stop-and-wait protocol
// pays that on every acknowledgement.
extern const int kLowLatencyFlag;

enum class LowLatencyState {
    Unsupported,  // the driver has no such mode (pseudo-terminals, some built-in UARTs)
    Off,
    On,
};

LowLatencyState QueryLowLatency(int descriptor,
                                const SerialDriverFlags& flags = SystemSerialDriverFlags());

// Turns low-latency mode on for an open port and puts the driver's flags back afterwards,
// so a port we leave behaves as it did before we came.
class LowLatencyMode {
public:
    explicit LowLatencyMode(SerialDriverFlags flags = SystemSerialDriverFlags());

    // Turns the mode on for `descriptor`. A driver that refuses (ENOTTY, EINVAL, EPERM) is
    // left as it was: the port works, only more slowly. Returns the state afterwards.
    LowLatencyState enable(int descriptor);
    // Puts back the flags enable() found, if it changed them. Call while the descriptor is
    // still open; a descriptor that has gone away is skipped.
    void restore();

private:
    SerialDriverFlags flags_;
    int descriptor_ = -1;
    std::optional<int> flagsBefore_;  // set only while our change is in force
};

}  // namespace zandor::platform
