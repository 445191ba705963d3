#pragma once

#include "PublishedVersion.h"

namespace faults {

// Two versions of a small game without launcher files. v1 lies in package folder "v1"; v2 in
// "v2" keeps readme.txt (the first stream of its package), changes the other three files and adds
// one, so an update from v1 to v2 fetches one segment that starts after the first stream and
// removes nothing: a failed update must leave v1 exactly as it was.
PublishedVersion GameV1();
PublishedVersion GameV2();
// The names v2 fetches when v1 is installed, in package order.
inline constexpr const char* kV2FetchedNames[] = {"data\\ships.dat", "data\\maps.dat", "sound\\theme.ogg",
                                                  "data\\new.dat"};

}  // namespace faults
