#pragma once

#include <cstdint>
#include <string>

// One file, or one request, to fetch. Copied by value through the whole engine.
struct DownloadTaskInfo {
    std::string url;           // request URL; backslashes become slashes when it is requested
    std::string name;          // the target's relative name (backslash-separated), used by the processors
    std::int32_t kind = 0;     // the caller's kind of download; the engine only carries it
    std::string packageDir;    // caller text carried through untouched
    std::string postData;      // request body, sent only when the worker's verb is POST
    std::int64_t offset = -1;  // start of the wanted bytes; negative: the whole body, no Range header
    std::uint32_t length = 0;  // number of wanted bytes from `offset`
    std::string md5;           // the content tag the file's bytes must match (checked when 32 hex digits)
};
