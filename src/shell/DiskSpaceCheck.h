#pragma once

#include <cstdint>
#include <string>

inline constexpr const char* kDiskSizeUnreadableText = "无法完成下载，没有成功获取磁盘大小!";

// The free space of the filesystem that holds the game root, compared with what a download
// needs. `drive` is that filesystem's mount point, as the player reads it.
struct DiskSpaceVerdict {
    bool measured = false;  // false: the free space could not be read
    bool enough = false;    // the total fits (a total equal to the free bytes fits)
    std::uint64_t freeBytes = 0;
    std::uint64_t shortfall = 0;
    std::string drive;
};

DiskSpaceVerdict CheckDiskSpace(const std::string& gameRoot, std::uint64_t totalBytes);

// "%s磁盘空间不足，无法完成此次更新，请确保释放出%s空间后继续" with the drive and the shortfall.
std::string FormatDiskShortfallText(const std::string& drive, std::uint64_t shortfall);
