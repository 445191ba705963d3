#pragma once

#include "resources/ResoureConfigInfo.h"

#include "platform/File.h"

#include <functional>
#include <string>

// The record of the game files placed during a resource run, kept in the staging folder so that a
// run killed at any moment keeps every file it placed. A placement is written down, and handed to
// the system, before its staged file is renamed over the target: a line with the staged file's
// name and the file's manifest line. A rename that failed adds a line with the staged name alone
// before that staged file is removed. Read back, a placement counts when it was not taken back and
// its staged file is gone; a staged file still there never reached its target. This survives the
// process being killed, not a power cut.
//
// Not thread-safe: the owner writes under its own lock.
class ArrivalRecord {
public:
    // Creates the record at `path`, empty.
    bool Open(const std::string& path);
    bool IsOpen() const { return file_.IsOpen(); }
    void Close() { file_.Close(); }

    // The file of `record` is about to leave the staged file `stagedName` for its target.
    void Placing(const std::string& stagedName, const ResoureConfigInfo& record);
    // The rename from `stagedName` failed; the staged file is removed next.
    void NotPlaced(const std::string& stagedName);

    // The manifest lines of the placements in a record's `text` that reached their target, in
    // the order they were made (a later line of a name is the later truth). A line cut short by
    // the kill counts for nothing. `stagedFileExists` says whether a staged file is still there.
    static ResoureConfigList ReadPlaced(const std::string& text,
                                        const std::function<bool(const std::string& stagedName)>& stagedFileExists);

private:
    void WriteLine(const std::string& line);

    platform::File file_;
};
