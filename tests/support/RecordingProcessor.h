#pragma once

#include "download/DownloadDataProcessor.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

namespace testsupport {

// A processor that records what a transfer did with it: the calls in order ("B" for Begin, "W"
// for each Write, "F" for Finish), the bytes of the latest attempt, the largest chunk. Each of
// its answers can be set to refuse. Thread-safe, so a test can watch it while a transfer runs.
class RecordingProcessor : public DownloadDataProcessor {
public:
    explicit RecordingProcessor(DownloadTaskInfo task = {}) : DownloadDataProcessor(std::move(task)) {}

    bool acceptBegin = true;
    bool acceptWrite = true;
    bool acceptFinish = true;

    bool Begin(std::uint32_t contentLength) override;
    bool Finish() override;
    bool Write(const char* data, std::uint32_t size) override;
    bool GetContent(std::string& out) override;

    std::string Calls() const;
    std::string Body() const;  // bytes written since the latest Begin
    std::uint32_t LargestWrite() const;
    std::uint32_t LastContentLength() const;
    int FinishCount() const;
    // Waits until at least `bytes` bytes arrived in the current attempt; false after 30 s.
    bool WaitForBytes(std::size_t bytes) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::string calls_;
    std::string body_;
    std::uint32_t largestWrite_ = 0;
    std::uint32_t contentLength_ = 0;
    int finishes_ = 0;
};

}  // namespace testsupport
