#pragma once

// The file that holds the next serial number of a production line. Several programs (gang
// boards, a restarted command, two stations sharing a folder) take numbers from one file;
// each number is given out once. A board that fails after taking its number leaves a gap.

#include <QString>
#include <cstdint>
#include <optional>

namespace zandor::platform {

// Takes the number the file holds and leaves number + step in it. The file is read and
// rewritten under an exclusive lock (flock) on it; the new contents go to a temporary file
// that is synced and renamed over it, so a crash leaves either the old or the new number,
// never a torn one. A taker that waited for the lock while the file was replaced finds its
// descriptor no longer names the file and starts again on the new one, so the lock keeps
// its meaning across the rename. A missing or empty file counts as holding `start`.
// Blocks only while another taker holds the lock (a few milliseconds).
// Nothing (fault set, the file named) when the file cannot be read or written, does not
// hold a number, the step is 0, or the next number would pass 2^64 - 1.
std::optional<std::uint64_t> TakeSerialNumber(const QString& path, std::uint64_t start, std::uint64_t step,
                                              QString* fault = nullptr);

// The number the next take would give, without taking it (a check before the first board).
std::optional<std::uint64_t> PeekSerialNumber(const QString& path, std::uint64_t start, QString* fault = nullptr);

}  // namespace zandor::platform
