#pragma once

#include "download/DownloadDataProcessor.h"
#include "platform/File.h"

#include <cstdint>
#include <functional>
#include <string>

// Writes one game or launcher file: the body goes to a temporary file "<target>.t", which Finish
// unpacks into the target (ResolveResourcePath(baseDir, task.name)) and deletes on success. Finish
// unpacks only a whole range (every byte of task.length arrived); a partial one stays packed.
// Begin deletes both the temporary file and the target, so an interrupted or failed download
// never leaves a stale old version under the target name, and creates the empty temporary file.
//
// Progress counts each byte once across attempts: only bytes beyond the highest count any
// attempt reached are reported, as growth, through the progress callback (on the worker thread).
class CDNResourceDataProcessor : public DownloadDataProcessor {
public:
    using ProgressCallback = std::function<void(std::int64_t growth)>;

    using DownloadDataProcessor::DownloadDataProcessor;

    // The folder the task's name is resolved below, ending with a separator. Set before use.
    void SetBaseDir(const std::string& baseDir) { baseDir_ = baseDir; }
    // Bind directly after construction, before the processor is handed to a transfer.
    void SetProgressCallback(ProgressCallback callback) { progressCallback_ = std::move(callback); }

    bool Begin(std::uint32_t contentLength) override;
    bool Finish() override;
    bool Write(const char* data, std::uint32_t size) override;
    // The unpacked target's content, when no attempt is in progress and the target exists.
    bool GetContent(std::string& out) override;

private:
    bool TargetPath(std::string& path) const;

    platform::File file_;
    // Between a successful Begin and the next Finish. The temporary file is created by Begin but
    // held open only while its bytes arrive, and closed as soon as the task's range is complete:
    // a segment of thousands of small files never holds thousands of open files or buffers.
    bool begun_ = false;
    std::string temporary_;
    std::string baseDir_;
    std::int64_t written_ = 0;
    std::int64_t highWater_ = 0;
    ProgressCallback progressCallback_;
};
