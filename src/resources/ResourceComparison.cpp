#include "resources/ResourceComparison.h"

#include "platform/FileSystem.h"
#include "resources/SafePath.h"

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

void ForgetMissingFiles(ResoureConfigMap& localMap, const std::string& gameFolder) {
    for (auto& [name, record] : localMap) {
        std::string path;
        if (!ResolveResourcePath(gameFolder, name, path) || !platform::FileExists(path))
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
    for (const auto& [name, cdn] : *cdnMap) {
        auto local = localMap.find(name);
        if (local == localMap.end())
            fetchList->push_back(MakeEntry(cdn, CompareAdded, std::string(), cdn.md5));
        else if (local->second.md5 != cdn.md5)
            fetchList->push_back(MakeEntry(cdn, CompareChanged, local->second.md5, cdn.md5));
    }
    for (const auto& [name, local] : localMap) {
        if (cdnMap->find(name) == cdnMap->end())
            removalList->push_back(MakeEntry(local, CompareRemoved, std::string(), local.md5));
    }
    return 1;
}

void PlanResourceUpdate(const ResoureConfigList& cdnList,
                        ResoureConfigMap& localLauncherMap,
                        ResoureConfigMap& localResourceMap,
                        const std::string& gameFolder,
                        ResourceUpdatePlan& plan) {
    plan = ResourceUpdatePlan();
    for (const ResoureConfigInfo& record : cdnList) {
        if (IsLauncherCategory(record.category))
            InsertRecordFirstWins(plan.cdnLauncherMap, record, "CDNLauncherInfo插入失败\t");
        else
            InsertRecordFirstWins(plan.cdnResourceMap, record, "CDNResourceInfo插入失败\t");
    }
    if (CompareMaps(localLauncherMap, &plan.cdnLauncherMap, &plan.launcherFetchList, &plan.launcherRemovalList, false,
                    gameFolder) == 1)
        plan.downloadTotal = SumLengths(plan.launcherFetchList);
    if (CompareMaps(localResourceMap, &plan.cdnResourceMap, &plan.resourceFetchList, &plan.resourceRemovalList, true,
                    gameFolder) == 1)
        plan.downloadTotal += SumLengths(plan.resourceFetchList);
}
