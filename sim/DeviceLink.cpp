#include "DeviceLink.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zandor::sim {

namespace {

constexpr int kLinkTextLimit = 4096;  // bytes of a link's target we read back
constexpr char kFreshSuffix[] = ".new";

// Publishing and removing hold an exclusive lock on the link's folder, so a board that ends
// cannot read its own link, lose the race to a new board's publish, and then remove that.
class FolderLock {
public:
    explicit FolderLock(const std::string& link)
    {
        const auto slash = link.rfind('/');
        const std::string folder =
            slash == std::string::npos ? "." : (slash == 0 ? "/" : link.substr(0, slash));
        fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ >= 0)
            flock(fd_, LOCK_EX);  // unlocked by close; without a folder there is nothing to guard
    }
    ~FolderLock()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_ = -1;
};

}  // namespace

bool PublishLink(const std::string& link, const std::string& target, std::string& error)
{
    FolderLock lock(link);
    struct stat info;
    if (lstat(link.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
        error = link + " exists and is not a symbolic link; not replacing it";
        return false;
    }
    // Made beside and renamed over the old one, so a host opening the path never finds it
    // missing.
    const std::string fresh = link + kFreshSuffix + std::to_string(getpid());
    unlink(fresh.c_str());
    if (symlink(target.c_str(), fresh.c_str()) != 0 || rename(fresh.c_str(), link.c_str()) != 0) {
        error = "cannot create the link " + link + ": " + std::strerror(errno);
        unlink(fresh.c_str());
        return false;
    }
    return true;
}

void RemoveLink(const std::string& link, const std::string& target)
{
    FolderLock lock(link);
    char buffer[kLinkTextLimit];
    const ssize_t length = readlink(link.c_str(), buffer, sizeof buffer - 1);
    if (length < 0)
        return;
    buffer[length] = '\0';
    if (target == buffer)  // a newer board's link stays
        unlink(link.c_str());
}

}  // namespace zandor::sim
