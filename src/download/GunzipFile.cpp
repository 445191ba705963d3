#include "download/GunzipFile.h"

#include "download/GunzipStream.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

#include <vector>

namespace {

// Larger than the 1 KiB steps of the original design: fewer calls, same output.
constexpr std::size_t kReadStep = 64 * 1024;

}  // namespace

bool GunzipFile(const std::string& target, const std::string& source) {
    platform::File in;
    if (!in.OpenForRead(source))
        return false;
    std::string partial = target + ".new";
    platform::File out;
    if (!out.CreateForWrite(partial))
        return false;
    GunzipStream stream;
    auto sink = [&out](const unsigned char* data, std::size_t size) { return out.Write(data, size); };
    std::vector<char> block(kReadStep);
    bool ok = true;
    for (;;) {
        std::int64_t n = in.Read(block.data(), block.size());
        if (n <= 0) {
            ok = n == 0 && stream.End(sink);
            break;
        }
        if (!stream.Feed(block.data(), static_cast<std::size_t>(n), sink)) {
            ok = false;
            break;
        }
    }
    ok = out.Close() && ok;
    ok = in.Close() && ok;
    ok = ok && platform::RenameFile(partial, target);
    if (!ok)
        platform::RemoveFile(partial);
    return ok;
}
