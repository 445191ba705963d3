#pragma once

#include <string>
#include <vector>

namespace testsupport {

struct PublishedFile {
    std::string name;  // backslash-separated
    std::string content;
    bool launcher = false;
};

// A version published in memory: one package of back-to-back gzip streams and its config text
// (lines name=md5=packageDir=offset=length=category, CR LF).
struct CdnPublication {
    std::string package;
    std::string config;
};

// Lower-case hexadecimal MD5 of `bytes`.
std::string Md5LowerHex(const std::string& bytes);
CdnPublication Publish(const std::vector<PublishedFile>& files, const std::string& packageDir);

}  // namespace testsupport
