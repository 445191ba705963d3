#pragma once

#include "resources/ResourceCompareResultInfo.h"
#include "resources/ResoureConfigInfo.h"

#include <cstdint>
#include <string>

// The decision that follows the arrival of the CDN resource config: split it into launcher files
// and game resources, compare each half with its local manifest map, and sum the bytes to fetch.
// Pure apart from one existence test per local game resource; it starts no transfer. The resource
// manager calls it on the download thread that delivered the config, holding its own maps.

// Compares `localMap` with `*cdnMap` in name order: CDN names absent locally are CompareAdded,
// present with a different md5 (exact, case-sensitive) CompareChanged, both appended to
// `*fetchList`; local names absent from the CDN are CompareRemoved in `*removalList` (nothing is
// removed when the local map is empty). With `checkFiles` (game resources) every local record whose
// file is missing below `gameFolder` first gets an empty md5 in `localMap`, so it compares as
// changed and the emptied md5 reaches version.txt when that is next written; a name that is not
// safe has no file. Returns 1 when it ran, 0 when cdnMap or a list is missing (nothing done).
int CompareMaps(ResoureConfigMap& localMap,
                const ResoureConfigMap* cdnMap,
                ResourceCompareList* fetchList,
                ResourceCompareList* removalList,
                bool checkFiles,
                const std::string& gameFolder);

// Everything the comparison produces for one update check.
struct ResourceUpdatePlan {
    ResoureConfigMap cdnLauncherMap;
    ResoureConfigMap cdnResourceMap;
    ResourceCompareList launcherFetchList;
    ResourceCompareList launcherRemovalList;  // produced, never acted upon
    ResourceCompareList resourceFetchList;
    ResourceCompareList resourceRemovalList;
    // Sum of the fetch lists' lengths, each taken as unsigned 32-bit.
    std::uint64_t downloadTotal = 0;
};

// Resets `plan`, splits `cdnList` by category ("launcher" in any case: launcher map, else resource
// map; a repeated name keeps its first record and traces "CDNLauncherInfo插入失败\t" or
// "CDNResourceInfo插入失败\t" + name), compares the launcher half with `localLauncherMap` (left
// unchanged) and the resource half with `localResourceMap` (md5 of missing files emptied, see
// CompareMaps), and sums the download total. `gameFolder` is R + "game/" with its separator.
// The records are moved into the maps: pass the list with std::move when it is not needed after.
void PlanResourceUpdate(ResoureConfigList cdnList,
                        ResoureConfigMap& localLauncherMap,
                        ResoureConfigMap& localResourceMap,
                        const std::string& gameFolder,
                        ResourceUpdatePlan& plan);
