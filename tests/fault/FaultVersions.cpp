#include "FaultVersions.h"

#include "support/GzipData.h"

namespace faults {

using testsupport::RandomBytes;

PublishedVersion GameV1() {
    return PublishedVersion("v1", {
                                      {"readme.txt", "Welcome aboard.\n", "v1"},
                                      {"data\\ships.dat", RandomBytes(40000, 11), "v1"},
                                      {"data\\maps.dat", RandomBytes(30000, 12), "v1"},
                                      {"sound\\theme.ogg", RandomBytes(50000, 13), "v1"},
                                  });
}

PublishedVersion GameV2() {
    return PublishedVersion("v2", {
                                      {"readme.txt", "Welcome aboard.\n", "v2"},
                                      {"data\\ships.dat", RandomBytes(41000, 21), "v2"},
                                      {"data\\maps.dat", RandomBytes(29000, 22), "v2"},
                                      {"sound\\theme.ogg", RandomBytes(52000, 23), "v2"},
                                      {"data\\new.dat", RandomBytes(20000, 24), "v2"},
                                  });
}

}  // namespace faults
