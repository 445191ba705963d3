#pragma once

#include "download/DownloadTaskInfo.h"

#include <cstdint>
#include <string>
#include <utility>

// Receives one response body as it streams in and decides what becomes of it. A transfer calls,
// per attempt: Begin (only after status 200/206), Write for each chunk of at most 1,024 bytes in
// order, then Finish (after every attempt, also when Begin was never called). A false result of
// Begin, Write or Finish fails the attempt. Used by one worker thread at a time.
class DownloadDataProcessor {
public:
    explicit DownloadDataProcessor(DownloadTaskInfo task) : task_(std::move(task)) {}
    virtual ~DownloadDataProcessor() = default;
    DownloadDataProcessor(const DownloadDataProcessor&) = delete;
    DownloadDataProcessor& operator=(const DownloadDataProcessor&) = delete;

    // `contentLength` is the response's Content-Length (0 when absent); no processor relies on it.
    virtual bool Begin(std::uint32_t contentLength) = 0;
    virtual bool Finish() = 0;
    virtual bool Write(const char* data, std::uint32_t size) = 0;
    // Copies what the processor holds or produced into `out`.
    virtual bool GetContent(std::string& out) = 0;

    const DownloadTaskInfo& task() const { return task_; }

private:
    DownloadTaskInfo task_;
};
