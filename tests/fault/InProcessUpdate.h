#pragma once

#include "download/DownloadTimings.h"
#include "resources/ProgressEventQueue.h"

#include <chrono>
#include <string>
#include <vector>

namespace faults {

// The product's waits shortened the way the engine tests shorten them: a 5 ms pause between
// attempts (the attempt counts stay the product's), a 1 ms first poll, and `receiveIdle` before a
// silent connection counts as failed.
DownloadTimings ShortTimings(std::chrono::milliseconds receiveIdle = std::chrono::seconds(10));

// Drives one update check of the resource manager in this process the way the launcher window
// does: the go-ahead after the size notice (the disk check passes), launcher files first. The
// download engine takes its timings when its dispatcher is made, at the first check of a process.
class InProcessUpdate {
public:
    explicit InProcessUpdate(DownloadTimings timings = ShortTimings());
    ~InProcessUpdate();
    InProcessUpdate(const InProcessUpdate&) = delete;
    InProcessUpdate& operator=(const InProcessUpdate&) = delete;

    // One check of `root` against the config at `configUrl`; returns the states reported until the
    // one that ends it (progress reports left out). An empty result means no ending state came.
    std::vector<int> Run(const std::string& root, const std::string& configUrl);
    // The state that ended the last check, 0 when none did.
    int LastState() const { return states_.empty() ? 0 : states_.back(); }

private:
    ProgressEventQueue events_;
    std::vector<int> states_;
};

}  // namespace faults
