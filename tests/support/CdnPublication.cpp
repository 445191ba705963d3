#include "support/CdnPublication.h"

#include "base/Md5.h"
#include "support/GzipData.h"

#include <algorithm>

namespace testsupport {

std::string Md5LowerHex(const std::string& bytes) {
    Md5Context context;
    Md5Update(context, bytes.data(), bytes.size());
    std::uint8_t digest[16];
    Md5Final(context, digest);
    std::string hex = ToHexUpper(std::string(reinterpret_cast<char*>(digest), 16));
    std::transform(hex.begin(), hex.end(), hex.begin(), [](char c) { return c >= 'A' && c <= 'F' ? c + 32 : c; });
    return hex;
}

CdnPublication Publish(const std::vector<PublishedFile>& files, const std::string& packageDir) {
    CdnPublication publication;
    for (const PublishedFile& file : files) {
        std::string stream = GzipBytes(file.content);
        publication.config += file.name + "=" + Md5LowerHex(file.content) + "=" + packageDir + "=" +
                              std::to_string(publication.package.size()) + "=" + std::to_string(stream.size()) + "=" +
                              (file.launcher ? "launcher" : "game") + "\r\n";
        publication.package += stream;
    }
    return publication;
}

}  // namespace testsupport
