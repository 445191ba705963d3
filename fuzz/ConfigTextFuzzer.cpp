// The text layer of version.txt, launcher_manifest.txt and the CDN config, fed any body.
// Properties: parsing never fails or keeps an unsafe name or an empty md5, and what version.txt
// would hold for the parsed records reads back as exactly those names and md5s, in order.
#include "FuzzCheck.h"

#include "base/SafePath.h"
#include "resources/ManifestFormat.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string body(reinterpret_cast<const char*>(data), size);
    ResoureConfigList list;
    FUZZ_CHECK(ParseConfigBody(body, list));
    ResoureConfigMap map;
    for (const ResoureConfigInfo& record : list) {
        FUZZ_CHECK(IsSafeResourceName(record.name));
        FUZZ_CHECK(!record.md5.empty());
        map.emplace(record.name, record);
    }

    std::string written = SerializeManifest(map);
    ResoureConfigList again;
    FUZZ_CHECK(ParseResourceConfigText(written, again));
    FUZZ_CHECK(again.size() == map.size());
    std::size_t i = 0;
    for (const auto& [name, record] : map) {
        FUZZ_CHECK(again[i].name == name);
        FUZZ_CHECK(again[i].md5 == record.md5);
        ++i;
    }
    return 0;
}
