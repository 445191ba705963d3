#pragma once

#include "download/DownloadTaskInfo.h"

#include <cstdint>

// The outcome of one task: a copy of the task, then the transfer's result code (200, another HTTP
// status, or -1..-5; -1 also when no processor existed for any task of the segment).
struct DownloadTaskResultInfo : DownloadTaskInfo {
    std::int32_t result = 0;
};
