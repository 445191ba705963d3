#pragma once

#include "base/Md5.h"
#include "download/DownloadDataProcessor.h"
#include "download/GunzipStream.h"
#include "platform/File.h"

#include <cstdint>
#include <functional>
#include <string>

// Writes one game or launcher file. The range's bytes are inflated as they arrive (GunzipStream)
// into a file of the staging folder under a name no other file uses; the target is not touched
// while they arrive. When the whole range is here and its stream ended whole, the MD5 of what was
// written is compared with the task's tag (when the tag is 32 hexadecimal digits):
// - a match: the file is renamed over the target (a game file), or stays staged for the owner
//   (no base folder: a launcher file, which goes into the journal); it has arrived;
// - a mismatch: the staged file is removed with a trace line naming the file and both digests;
//   the attempt goes on (the file's bytes are what the server holds, a retry changes nothing)
//   and the owner fails this file alone.
// A range cut short, damaged data or a file-system error fails the attempt and removes the staged
// file, so the old target stays as it was. On a fresh install a file costs one create and one
// rename; folders are the owner's to make beforehand (a missing one is made at the rename).
//
// Progress counts each byte once across attempts: only bytes beyond the highest count any
// attempt reached are reported, as growth, through the progress callback (on the worker thread).
class CDNResourceDataProcessor : public DownloadDataProcessor {
public:
    using ProgressCallback = std::function<void(std::int64_t growth)>;
    // Where a checked file is on its way, told on the worker thread.
    enum class Placement {
        Placing,    // about to be renamed over its target; stagedPath() names the staged file
        Placed,     // in place (without target: checked and staged); it has arrived
        NotPlaced,  // that rename failed; the staged file is removed right after the call
    };
    using PlacementCallback = std::function<void(const CDNResourceDataProcessor&, Placement)>;

    explicit CDNResourceDataProcessor(DownloadTaskInfo task);
    ~CDNResourceDataProcessor() override;  // removes a staged file still there

    // The updater's own folder for files being written, ending with a separator. Required.
    void SetStagingFolder(const std::string& folder) { stagingFolder_ = folder; }
    // The folder the task's name is resolved below for the target, ending with a separator.
    // Empty: no target, the checked file stays staged (stagedPath()).
    void SetBaseDir(const std::string& baseDir) { baseDir_ = baseDir; }
    // Bind directly after construction, before the processor is handed to a transfer.
    void SetProgressCallback(ProgressCallback callback) { progressCallback_ = std::move(callback); }
    // Told around the rename of a checked file, so an owner can write down the file before it is
    // in place and never lose one to a kill between the two.
    void SetPlacementCallback(PlacementCallback callback) { placementCallback_ = std::move(callback); }

    bool Begin(std::uint32_t contentLength) override;
    bool Finish() override;
    bool Write(const char* data, std::uint32_t size) override;
    // The content of the checked file (target or staged), when no attempt is in progress.
    bool GetContent(std::string& out) override;

    // The last attempt brought the file: checked and in place (or staged).
    bool arrived() const { return arrived_; }
    // The last attempt's bytes did not match the tag.
    bool mismatched() const { return mismatched_; }
    // The staged file while it is written and placed, and afterwards of an arrived file without
    // target; empty otherwise.
    const std::string& stagedPath() const { return staged_; }

private:
    bool Output(const unsigned char* data, std::size_t size);
    bool OpenStaged(const std::string& firstBytes);
    bool Complete();
    void Tell(Placement step);
    void Discard();

    std::string stagingFolder_;
    std::string baseDir_;
    ProgressCallback progressCallback_;
    PlacementCallback placementCallback_;
    GunzipStream::Sink sink_;

    bool begun_ = false;     // between a successful Begin and the next Finish
    bool complete_ = false;  // the whole range arrived (and was judged)
    bool failed_ = false;    // this attempt cannot bring the file any more
    bool arrived_ = false;
    bool mismatched_ = false;
    GunzipStream gunzip_;
    Md5Context md5_;
    platform::File file_;
    std::string staged_;   // the staged file, once created
    std::string pending_;  // the first output bytes (fewer than 4) while the file waits for its mode
    std::int64_t written_ = 0;
    std::int64_t highWater_ = 0;
};
