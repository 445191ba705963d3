#include "resources/ResourceComparison.h"

#include "base/SafePath.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <functional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

ResourceCompareResultInfo MakeEntry(const ResoureConfigInfo& source,
                                    ResourceCompareType type,
                                    const std::string& localMd5,
                                    const std::string& cdnMd5) {
    ResourceCompareResultInfo entry;
    entry.name = source.name;
    entry.localMd5 = localMd5;
    entry.cdnMd5 = cdnMd5;
    entry.compareType = type;
    entry.packageDir = source.packageDir;
    entry.offset = source.offset;
    entry.length = source.length;
    return entry;
}

// Names of one folder's files, searchable with a view of a path.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>()(name); }
};
using FileNames = std::unordered_set<std::string, NameHash, std::equal_to<>>;

// Every local record whose file is missing gets an empty md5. Each folder is listed once instead
// of examining every file on its own: with many thousands of resources that is many times faster,
// and the answer is the same (a regular file, symbolic links followed).
void ForgetMissingFiles(ResoureConfigMap& localMap, const std::string& gameFolder) {
    std::unordered_map<std::string, FileNames> folders;
    const FileNames* files = nullptr;  // those of the folder of the previous name, which is usually the next one's
    std::string currentFolder;
    std::string path;
    for (auto& [name, record] : localMap) {
        if (!ResolveResourcePath(gameFolder, name, path)) {
            record.md5.clear();
            continue;
        }
        std::size_t split = path.rfind(platform::kPathSeparator) + 1;
        std::string_view folder(path.data(), split);
        if (!files || folder != currentFolder) {
            currentFolder.assign(folder);
            auto listed = folders.find(currentFolder);
            if (listed == folders.end()) {
                std::vector<std::string> names;
                platform::ListFolderFiles(currentFolder, names);
                listed = folders.emplace(currentFolder, FileNames(names.begin(), names.end())).first;
            }
            files = &listed->second;
        }
        if (files->find(std::string_view(path).substr(split)) == files->end())
            record.md5.clear();
    }
}

std::uint64_t SumLengths(const ResourceCompareList& list) {
    std::uint64_t total = 0;
    for (const ResourceCompareResultInfo& entry : list)
        total += static_cast<std::uint32_t>(entry.length);
    return total;
}

}  // namespace

int CompareMaps(ResoureConfigMap& localMap,
                const ResoureConfigMap* cdnMap,
                ResourceCompareList* fetchList,
                ResourceCompareList* removalList,
                bool checkFiles,
                const std::string& gameFolder) {
    if (!cdnMap || !fetchList || !removalList)
        return 0;
    if (checkFiles)
        ForgetMissingFiles(localMap, gameFolder);
    // Room for the worst case up front: growing lists of this size one doubling at a time costs
    // more than the comparison itself.
    fetchList->reserve(fetchList->size() + cdnMap->size());
    removalList->reserve(removalList->size() + localMap.size());
    // Both maps are in the same name order: one walk through both finds every name's partner.
    auto local = localMap.begin();
    for (const auto& [name, cdn] : *cdnMap) {
        int order = -1;
        while (local != localMap.end() && (order = OrdinalCompare(local->first, name)) < 0) {
            removalList->push_back(MakeEntry(local->second, CompareRemoved, std::string(), local->second.md5));
            ++local;
        }
        if (local == localMap.end() || order > 0) {
            fetchList->push_back(MakeEntry(cdn, CompareAdded, std::string(), cdn.md5));
            continue;
        }
        if (local->second.md5 != cdn.md5)
            fetchList->push_back(MakeEntry(cdn, CompareChanged, local->second.md5, cdn.md5));
        ++local;
    }
    for (; local != localMap.end(); ++local)
        removalList->push_back(MakeEntry(local->second, CompareRemoved, std::string(), local->second.md5));
    return 1;
}

void PlanResourceUpdate(ResoureConfigList cdnList,
                        ResoureConfigMap& localLauncherMap,
                        ResoureConfigMap& localResourceMap,
                        const std::string& gameFolder,
                        ResourceUpdatePlan& plan) {
    plan = ResourceUpdatePlan();
    for (ResoureConfigInfo& record : cdnList) {
        if (IsLauncherCategory(record.category))
            InsertRecordFirstWins(plan.cdnLauncherMap, std::move(record), "CDNLauncherInfo插入失败\t");
        else
            InsertRecordFirstWins(plan.cdnResourceMap, std::move(record), "CDNResourceInfo插入失败\t");
    }
    if (CompareMaps(localLauncherMap, &plan.cdnLauncherMap, &plan.launcherFetchList, &plan.launcherRemovalList, false,
                    gameFolder) == 1)
        plan.downloadTotal = SumLengths(plan.launcherFetchList);
    if (CompareMaps(localResourceMap, &plan.cdnResourceMap, &plan.resourceFetchList, &plan.resourceRemovalList, true,
                    gameFolder) == 1)
        plan.downloadTotal += SumLengths(plan.resourceFetchList);
}
