#include "download/DownloadTextProcessor.h"

#include <algorithm>
#include <new>

namespace {

// Bodies up to this size never reallocate while they stream in.
constexpr std::size_t kReservedTextSize = 16 * 1024 * 1024;

}  // namespace

bool DownloadTextProcessor::Begin(std::uint32_t) {
    text_.clear();
    try {
        text_.reserve(std::min(kReservedTextSize, limit_));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool DownloadTextProcessor::Finish() {
    return true;
}

bool DownloadTextProcessor::Write(const char* data, std::uint32_t size) {
    if (size > limit_ - text_.size())
        return false;
    // A body larger than memory fails the attempt instead of ending the process.
    try {
        text_.append(data, size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool DownloadTextProcessor::GetContent(std::string& out) {
    std::size_t start = text_.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    try {
        out.assign(text_, start, std::string::npos);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}
