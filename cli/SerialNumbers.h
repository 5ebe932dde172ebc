#pragma once

// Each board's serial number: taken once its loader has answered and before the erase, from
// the counter file (--serial-file) or from the factory's own allocator (--serial-command),
// and written into that board's copy of the image.

#include "protocol/ApplicationImage.h"
#include "protocol/SerialNumberFormat.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace zandor::cli {

// --serial-command gets this long to answer, in milliseconds, before the board is stopped.
constexpr int kSerialCommandLimitMs = 10000;

// Where the numbers come from and where they go; the same for every board of a run.
struct SerialPlan {
    std::uint32_t address = 0;
    protocol::SerialNumberFormat format;
    QByteArray placeholder;  // the format's width, checked against the image beforehand
    QString counterFile;     // either this (with start and step) ...
    std::uint64_t start = 0;
    std::uint64_t step = 1;
    QString command;         // ... or this
};

// One board's number. `number` is set once one was taken, even when it cannot be used: it
// is never given again (a gap), and the log says so.
struct SerialTake {
    std::optional<std::uint64_t> number;
    std::optional<protocol::ApplicationImage> image;  // the board's image, its number written in
    QString fault;  // no image: why
};

SerialTake TakeBoardSerial(const SerialPlan& plan, const protocol::ApplicationImage& image);

// CMD through the shell, its first output line as a decimal number. Waits in the event
// loop up to `limitMs`; a stop request (Ctrl-C) ends CMD. Nothing, with `fault` (CMD's
// error output in it), for a non-zero exit, no number, or no answer in time.
std::optional<std::uint64_t> RunSerialCommand(const QString& command, QString* fault,
                                              int limitMs = kSerialCommandLimitMs);

}  // namespace zandor::cli
