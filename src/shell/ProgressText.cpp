#include "shell/ProgressText.h"

#include <cinttypes>
#include <cstdio>

std::string FormatByteSize(std::uint64_t bytes) {
    char text[64];
    if (bytes < 1024)
        return "1 KB";
    if (bytes < 1048576)
        std::snprintf(text, sizeof(text), "%" PRIu64 "KB", bytes / 1024 + 1);
    else if (bytes < 1073741824)
        std::snprintf(text, sizeof(text), "%.2lfMB", static_cast<double>(bytes) / 1048576.0);
    else
        std::snprintf(text, sizeof(text), "%.2lfG", static_cast<double>(bytes) / 1073741824.0);
    return text;
}

std::string FormatByteSize(std::int64_t bytes) {
    return FormatByteSize(bytes < 0 ? std::uint64_t{0} : static_cast<std::uint64_t>(bytes));
}

std::string FormatDuration(std::int32_t seconds) {
    char text[64];
    if (seconds < 60)
        std::snprintf(text, sizeof(text), "%d秒", seconds);
    else if (seconds >= 3600)
        std::snprintf(text, sizeof(text), "%.2lf小时", seconds / 3600.0);
    else
        std::snprintf(text, sizeof(text), "%d分%d秒", seconds / 60, seconds % 60);
    return text;
}

std::string FormatSizesLine(std::int64_t done, std::int64_t total) {
    return "下载进度:" + FormatByteSize(done) + "/" + FormatByteSize(total);
}
