#pragma once

#include "base/OrdinalLess.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// One line of a local manifest (version.txt, launcher_manifest.txt) or of the CDN resource config.
// Records are copied by value; all six fields travel together.
struct ResoureConfigInfo {
    std::string name;         // backslash-separated path below its root folder; key of every map
    std::string md5;          // content tag, compared as text only (exact, case-sensitive)
    std::string packageDir;   // folder of the package file on the CDN; empty in written manifests
    std::int64_t offset = 0;  // first byte of this file's gzip stream inside the package file
    std::int32_t length = 0;  // bytes of that stream; summed into the download total
    std::string category;     // "launcher" (any case) marks a launcher file

    bool operator==(const ResoureConfigInfo&) const = default;
};

using ResoureConfigList = std::vector<ResoureConfigInfo>;
// Ordered by the UTF-16 code-unit order of the names, like every list of names the system writes.
using ResoureConfigMap = std::map<std::string, ResoureConfigInfo, OrdinalLess>;

// Inserts `record` under its name unless the name is already there: the first record stays, and
// the trace line `failurePrefix` + name is written. True when inserted. Records arriving in name
// order (as every manifest the launcher writes) go straight to the end of the map.
bool InsertRecordFirstWins(ResoureConfigMap& map, ResoureConfigInfo record, const std::string& failurePrefix);

// True for a category of "launcher" in any ASCII letter case.
bool IsLauncherCategory(const std::string& category);
