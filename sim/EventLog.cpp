#include "EventLog.h"

namespace zandor::sim {

EventLog::~EventLog()
{
    if (file_)
        std::fclose(file_);
}

bool EventLog::open(const std::string& path)
{
    if (path.empty())
        return true;
    file_ = std::fopen(path.c_str(), "a");
    return file_ != nullptr;
}

void EventLog::write(const std::string& line)
{
    if (!file_)
        return;
    std::fputs(line.c_str(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
}

std::string Hex2(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
    return text;
}

std::string Hex8(unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

}  // namespace zandor::sim
