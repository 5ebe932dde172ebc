#pragma once

#include <cstdio>
#include <string>

namespace zandor::sim {

// One line per board event, flushed at once so a test can read it while the board runs.
class EventLog {
public:
    EventLog() = default;
    ~EventLog();
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    // Appends to `path`; an empty path logs nothing. False when the file cannot be opened.
    bool open(const std::string& path);
    void write(const std::string& line);

private:
    std::FILE* file_ = nullptr;
};

std::string Hex2(unsigned value);  // "0A"
std::string Hex8(unsigned value);  // "0000E000"

}  // namespace zandor::sim
