#include "resources/ResoureConfigInfo.h"

#include "base/Trace.h"

#include <utility>

bool InsertRecordFirstWins(ResoureConfigMap& map, ResoureConfigInfo record, const std::string& failurePrefix) {
    if (map.empty() || OrdinalLess()(map.rbegin()->first, record.name)) {
        map.emplace_hint(map.end(), record.name, std::move(record));
        return true;
    }
    // try_emplace leaves `record` untouched when the name is taken.
    if (map.try_emplace(record.name, std::move(record)).second)
        return true;
    TraceLine(failurePrefix + record.name);
    return false;
}

bool IsLauncherCategory(const std::string& category) {
    static const char kLauncher[] = "launcher";
    if (category.size() != sizeof(kLauncher) - 1)
        return false;
    for (std::size_t i = 0; i < category.size(); ++i) {
        char c = category[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != kLauncher[i])
            return false;
    }
    return true;
}
