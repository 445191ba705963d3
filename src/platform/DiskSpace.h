#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Free bytes available to this user on the filesystem that holds `path` (or its nearest existing
// parent), and that filesystem's mount point. False when nothing along the path exists.
bool FreeDiskSpace(const std::string& path, std::uint64_t& freeBytes, std::string& mountPoint);

}  // namespace platform
