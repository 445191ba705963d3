#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum ResourceCompareType : std::int32_t {
    CompareAdded = 1,    // on the CDN, not local
    CompareRemoved = 2,  // local, not on the CDN
    CompareChanged = 3,  // both, md5 differs
};

// One file to fetch or to remove, as the comparison of a local map with a CDN map decides it.
struct ResourceCompareResultInfo {
    std::string name;
    std::string localMd5;  // local md5 of a changed file; empty for an added or removed one
    std::string cdnMd5;    // CDN md5 of an added or changed file; the local md5 of a removed one
    ResourceCompareType compareType = CompareAdded;
    // From the CDN record (added, changed) or the local record (removed).
    std::string packageDir;
    std::int64_t offset = 0;
    std::int32_t length = 0;

    bool operator==(const ResourceCompareResultInfo&) const = default;
};

using ResourceCompareList = std::vector<ResourceCompareResultInfo>;
