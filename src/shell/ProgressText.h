#pragma once

#include <cstdint>
#include <string>

// Sizes and durations as the player reads them.
// < 1024: "1 KB"; < 1 MiB: (n / 1024) + 1 "KB"; < 1 GiB: "%.2lfMB"; otherwise "%.2lfG".
std::string FormatByteSize(std::uint64_t bytes);
// The same; negative counts read like counts below 1024.
std::string FormatByteSize(std::int64_t bytes);
// < 60 (and negative): "%d秒"; >= 3600: "%.2lf小时"; otherwise "%d分%d秒".
std::string FormatDuration(std::int32_t seconds);
// The status line's sizes: "下载进度:" then the bytes done and the total, both as FormatByteSize.
std::string FormatSizesLine(std::int64_t done, std::int64_t total);
