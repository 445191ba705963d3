// The one function that turns a name from a manifest, config or journal into a path. Property:
// whatever the name, an accepted path lies below the root: it starts with the root, and no
// component after it is empty, "." or "..", or holds a NUL; so it cannot leave the root folder
// (checked once more by normalising the path). Names it refuses are exactly the unsafe ones.
#include "FuzzCheck.h"

#include "base/SafePath.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string root = "/fuzz/root/";
    std::string name(reinterpret_cast<const char*>(data), size);
    std::string path = "untouched";
    bool resolved = ResolveResourcePath(root, name, path);
    FUZZ_CHECK(resolved == IsSafeResourceName(name));
    if (!resolved) {
        FUZZ_CHECK(path == "untouched");
        return 0;
    }
    FUZZ_CHECK(path.compare(0, root.size(), root) == 0);
    std::string rest = path.substr(root.size());
    FUZZ_CHECK(!rest.empty());
    FUZZ_CHECK(rest.find('\0') == std::string::npos);
    std::size_t start = 0;
    for (;;) {
        std::size_t end = rest.find('/', start);
        std::string component = rest.substr(start, end == std::string::npos ? std::string::npos : end - start);
        FUZZ_CHECK(!component.empty() && component != "." && component != "..");
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    std::string normal = std::filesystem::path(path).lexically_normal().string();
    FUZZ_CHECK(normal.compare(0, root.size(), root) == 0 && normal.size() > root.size());
    return 0;
}
