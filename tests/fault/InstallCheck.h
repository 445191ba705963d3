#pragma once

#include "PublishedVersion.h"

#include <map>
#include <string>
#include <vector>

namespace faults {

// Every regular file below `folder` by relative path ("/"-separated), with its content.
std::map<std::string, std::string> Snapshot(const std::string& folder);
// The same with "<md5> <size>" in place of the content, for comparisons whose failures stay readable.
std::map<std::string, std::string> Fingerprints(const std::string& folder);

// The name=md5 lines of version.txt below `root` (lines with an empty md5 read back as nothing and
// are left out). Every line must end with CR LF and hold one "=": a failure is reported otherwise.
std::map<std::string, std::string> RecordedVersions(const std::string& root);

// After any fault: version.txt names no file whose bytes are not those its md5 stands for. A name
// listed with the md5 of `published` has exactly the published bytes on disk; a name listed with
// an older md5 (of a version in `earlier`) is absent or whole; no file under game/ other than a
// download in progress (".t", ".new") holds bytes of no version at all.
void ExpectNothingWrongRecorded(const std::string& root,
                                const PublishedVersion& published,
                                const std::vector<const PublishedVersion*>& earlier = {});

// The installation below `root` is exactly `version`: the game folder holds its game files and
// nothing else, the launcher files are in place, both manifests name them, and nothing of a
// download (journal, staging folder, temporary files) is left.
void ExpectInstalled(const std::string& root, const PublishedVersion& version);

}  // namespace faults
