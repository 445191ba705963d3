#include "resources/ArrivalRecord.h"

#include "resources/ManifestFormat.h"

#include <algorithm>
#include <vector>

namespace {

constexpr char kSeparator = '\t';  // never in a staged name

}  // namespace

bool ArrivalRecord::Open(const std::string& path) {
    return file_.CreateForWrite(path, platform::File::KeepMode);
}

void ArrivalRecord::WriteLine(const std::string& line) {
    // One write per line, at once: the rename that follows must not overtake it.
    if (file_.IsOpen() && file_.Write(line.data(), line.size()))
        file_.Flush();
}

void ArrivalRecord::Placing(const std::string& stagedName, const ResoureConfigInfo& record) {
    WriteLine(stagedName + kSeparator + record.name + "=" + record.md5 + "\r\n");
}

void ArrivalRecord::NotPlaced(const std::string& stagedName) {
    WriteLine(stagedName + "\r\n");
}

ResoureConfigList ArrivalRecord::ReadPlaced(const std::string& text,
                                            const std::function<bool(const std::string&)>& stagedFileExists) {
    struct Placement {
        std::string staged;
        std::string line;
    };
    std::vector<Placement> placements;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        std::string line = text.substr(start, end - start);
        std::size_t separator = line.find(kSeparator);
        if (separator != std::string::npos) {
            placements.push_back({line.substr(0, separator), line.substr(separator + 1)});
            continue;
        }
        placements.erase(std::remove_if(placements.begin(), placements.end(),
                                        [&](const Placement& placement) { return placement.staged == line; }),
                         placements.end());
    }
    std::string placed;
    for (const Placement& placement : placements) {
        if (!placement.staged.empty() && !placement.line.empty() && !stagedFileExists(placement.staged))
            placed += placement.line + "\r\n";
    }
    ResoureConfigList list;
    ParseResourceConfigText(placed, list);
    return list;
}
