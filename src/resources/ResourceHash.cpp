#include "resources/ResourceHash.h"

#include "base/Md5.h"
#include "base/OrdinalLess.h"
#include "resources/ManifestFormat.h"

#include <algorithm>

std::string ComputeResourceHash(const std::string& rootFolder) {
    if (rootFolder.empty())
        return std::string();
    ResoureConfigList records;
    if (!LoadManifest(rootFolder + kVersionFileName, records))
        return std::string();
    std::stable_sort(records.begin(), records.end(), [](const ResoureConfigInfo& a, const ResoureConfigInfo& b) {
        return OrdinalLess()(a.name, b.name);
    });
    std::string tags;
    for (const ResoureConfigInfo& record : records)
        tags += record.md5;
    return Md5HexOfText(tags);
}
