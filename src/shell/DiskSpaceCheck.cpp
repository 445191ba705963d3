#include "shell/DiskSpaceCheck.h"

#include "platform/DiskSpace.h"
#include "shell/ProgressText.h"

DiskSpaceVerdict CheckDiskSpace(const std::string& gameRoot, std::uint64_t totalBytes) {
    DiskSpaceVerdict verdict;
    if (!platform::FreeDiskSpace(gameRoot, verdict.freeBytes, verdict.drive))
        return verdict;
    verdict.measured = true;
    verdict.enough = totalBytes <= verdict.freeBytes;
    verdict.shortfall = verdict.enough ? 0 : totalBytes - verdict.freeBytes;
    return verdict;
}

std::string FormatDiskShortfallText(const std::string& drive, std::uint64_t shortfall) {
    return drive + "磁盘空间不足，无法完成此次更新，请确保释放出" + FormatByteSize(shortfall) + "空间后继续";
}
