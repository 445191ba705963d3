#include "support/RecordingProcessor.h"

#include <algorithm>
#include <chrono>

namespace testsupport {

bool RecordingProcessor::Begin(std::uint32_t contentLength) {
    std::lock_guard<std::mutex> guard(mutex_);
    calls_ += "B";
    body_.clear();
    contentLength_ = contentLength;
    return acceptBegin;
}

bool RecordingProcessor::Finish() {
    std::lock_guard<std::mutex> guard(mutex_);
    calls_ += "F";
    ++finishes_;
    return acceptFinish;
}

bool RecordingProcessor::Write(const char* data, std::uint32_t size) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        calls_ += "W";
        body_.append(data, size);
        largestWrite_ = std::max(largestWrite_, size);
    }
    changed_.notify_all();
    return acceptWrite;
}

bool RecordingProcessor::GetContent(std::string& out) {
    std::lock_guard<std::mutex> guard(mutex_);
    out = body_;
    return true;
}

std::string RecordingProcessor::Calls() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return calls_;
}

std::string RecordingProcessor::Body() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return body_;
}

std::uint32_t RecordingProcessor::LargestWrite() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return largestWrite_;
}

std::uint32_t RecordingProcessor::LastContentLength() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return contentLength_;
}

int RecordingProcessor::FinishCount() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return finishes_;
}

bool RecordingProcessor::WaitForBytes(std::size_t bytes) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(30), [&] { return body_.size() >= bytes; });
}

}  // namespace testsupport
