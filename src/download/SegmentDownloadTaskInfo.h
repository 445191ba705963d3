#pragma once

#include "download/DownloadTaskInfo.h"

#include <cstdint>
#include <string>
#include <vector>

// One HTTP request serving one or more tasks. For a segment the dispatcher builds, every task has
// the segment's url and postData, the tasks' ranges are contiguous and ascending from `offset`,
// and their lengths add up to `length`.
struct SegmentDownloadTaskInfo {
    std::string url;
    std::string postData;
    std::int64_t offset = 0;
    std::uint32_t length = 0;
    std::vector<DownloadTaskInfo> tasks;
};
