#include "platform/DiskSpace.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

namespace platform {
namespace {

std::string Parent(const std::string& path) {
    std::size_t end = path.size();
    while (end > 1 && path[end - 1] == '/')
        --end;
    std::size_t slash = path.rfind('/', end - 1);
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool FreeDiskSpace(const std::string& path, std::uint64_t& freeBytes, std::string& mountPoint) {
    std::string existing = path.empty() ? "." : path;
    struct stat info {};
    while (::stat(existing.c_str(), &info) != 0) {
        if (existing == "/" || existing == ".")
            return false;
        existing = Parent(existing);
    }
    struct statvfs fs {};
    if (::statvfs(existing.c_str(), &fs) != 0)
        return false;
    freeBytes = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
    // The mount point is the highest parent still on the same device.
    mountPoint = existing;
    while (mountPoint != "/" && mountPoint != ".") {
        std::string up = Parent(mountPoint);
        struct stat upInfo {};
        if (::stat(up.c_str(), &upInfo) != 0 || upInfo.st_dev != info.st_dev)
            break;
        mountPoint = up;
    }
    return true;
}

}  // namespace platform
