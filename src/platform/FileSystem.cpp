#include "platform/FileSystem.h"

// What the backends' folder listings have in common.
namespace platform {

bool ListFolderFiles(const std::string& folder, std::vector<std::string>& names) {
    std::vector<std::pair<std::string, bool>> entries;
    if (!ListFolder(folder, entries))
        return false;
    for (auto& [name, isFolder] : entries) {
        if (!isFolder)
            names.push_back(std::move(name));
    }
    return true;
}

}  // namespace platform
