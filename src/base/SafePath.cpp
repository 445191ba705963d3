#include "base/SafePath.h"

#include "platform/Paths.h"

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsDriveLetterStart(const std::string& name) {
    return name.size() >= 2 && name[1] == ':' &&
           ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
}

}  // namespace

bool IsSafeResourceName(const std::string& name) {
    if (name.empty() || IsSeparator(name.front()) || IsDriveLetterStart(name) || name.find('\0') != std::string::npos)
        return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = start;
        while (end < name.size() && !IsSeparator(name[end]))
            ++end;
        std::string component = name.substr(start, end - start);
        if (component.empty() || component == "." || component == "..")
            return false;
        start = end + 1;
    }
    return true;
}

bool ResolveResourcePath(const std::string& root, const std::string& name, std::string& path) {
    if (!IsSafeResourceName(name))
        return false;
    std::string native = name;
    for (char& c : native) {
        if (IsSeparator(c))
            c = platform::kPathSeparator;
    }
    path = root + native;
    return true;
}
