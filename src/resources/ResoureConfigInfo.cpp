#include "resources/ResoureConfigInfo.h"

#include "shell/Trace.h"

bool InsertRecordFirstWins(ResoureConfigMap& map, const ResoureConfigInfo& record, const std::string& failurePrefix) {
    if (map.emplace(record.name, record).second)
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
