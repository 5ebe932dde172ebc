#include "ModemFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace zandor::sim {

namespace {
constexpr int kReadChunk = 1024;
}  // namespace

ModemFiles::~ModemFiles()
{
    if (changes_ >= 0)
        ::close(changes_);
}

bool ModemFiles::open(const std::string& folder, std::string& error)
{
    folder_ = folder;
    const std::string path = folder + "/" + kChangesFileName;
    if (::mkfifo(path.c_str(), 0600) != 0 && errno != EEXIST) {
        error = "cannot create the FIFO " + path + ": " + std::strerror(errno);
        return false;
    }
    changes_ = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (changes_ < 0) {
        error = "cannot open the FIFO " + path + ": " + std::strerror(errno);
        return false;
    }
    if (!writeInputs(DrivenInputs{})) {
        error = "cannot write " + folder + "/" + kInputsFileName + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::vector<OutputChange> ModemFiles::takeChanges()
{
    char chunk[kReadChunk];
    for (;;) {
        const ssize_t count = ::read(changes_, chunk, sizeof chunk);
        if (count <= 0)
            break;
        partial_.append(chunk, std::size_t(count));
    }
    std::vector<OutputChange> changes;
    std::size_t start = 0;
    for (std::size_t end = partial_.find('\n'); end != std::string::npos; end = partial_.find('\n', start)) {
        if (const auto change = ParseOutputChange(partial_.substr(start, end - start)))
            changes.push_back(*change);
        start = end + 1;
    }
    partial_.erase(0, start);
    return changes;
}

bool ModemFiles::writeInputs(const DrivenInputs& inputs)
{
    const std::string path = folder_ + "/" + kInputsFileName;
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << FormatDrivenInputs(inputs);
        if (!out.flush())
            return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace zandor::sim
