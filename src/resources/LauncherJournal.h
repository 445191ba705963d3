#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The launcher journal R + "launcher.tmp" stages a launcher self-update until the entrance program
// applies it after the restart. Layout: one state byte (0 while the launcher download runs, 1 once
// complete), then records of [u32 little-endian L1][L1 bytes of path text in the system code
// page][u32 little-endian L2][L2 bytes of content]. The path text is the file's name
// (backslash-separated, below R); the last record of a complete journal carries the new
// "launcher_manifest.txt".

inline constexpr const char* kLauncherJournalFileName = "launcher.tmp";
// A journal carries the launcher's own files, a few tens of MiB. It is read whole (and held twice
// while it is checked), so none past this size is written or read.
inline constexpr std::int64_t kLargestLauncherJournal = std::int64_t(256) << 20;

// Writes one journal. Every operation opens and closes the file. Callers serialise the calls (the
// CDN downloader appends under its map lock and completes after the last worker has ended).
class LauncherJournal {
public:
    explicit LauncherJournal(std::string path) : path_(std::move(path)) {}
    LauncherJournal(const LauncherJournal&) = delete;
    LauncherJournal& operator=(const LauncherJournal&) = delete;

    const std::string& path() const { return path_; }

    // Deletes an old journal and creates a new one holding the single state byte 0.
    bool Begin();
    // Appends one record at the end of the journal. Never creates the file: without a journal from
    // Begin there is nothing to append to.
    bool AppendRecord(const std::string& name, const std::string& content);
    // Appends one record whose content is the file at `path`, streamed in blocks (a launcher file
    // is never held in memory whole). False, the journal no longer intact, when the file cannot
    // be read or the journal would pass kLargestLauncherJournal.
    bool AppendFileRecord(const std::string& name, const std::string& path);
    // Appends the "launcher_manifest.txt" record with `manifestText` and then sets the state byte
    // to 1. Does nothing when `manifestText` is empty. The journal is marked complete only when
    // every write since Begin succeeded, so a complete journal never lacks a file.
    bool Complete(const std::string& manifestText);
    // Removes the journal (a failed launcher download leaves none behind).
    void Delete();

private:
    std::string path_;
    std::atomic<bool> intact_{false};  // every write since Begin succeeded
};

struct LauncherJournalRecord {
    std::string path;  // a safe name, backslash-separated, below R
    std::string content;

    bool operator==(const LauncherJournalRecord&) const = default;
};

enum class LauncherJournalStatus {
    Complete,    // state byte 1, every record well-formed, the last one "launcher_manifest.txt"
    Incomplete,  // state byte 0, every record well-formed: the download did not finish
    Unreadable,  // the file cannot be read whole: missing, not a file, past the size bound,
                 // a read error, or no memory for it
    Malformed,   // anything else: never apply any part of it
};

// Validates a whole journal: a known state byte, every length within the file, no trailing
// partial record and every path a safe name that the system code page carries unchanged. Fills `records` (in file
// order) for Complete and Incomplete journals and leaves it empty otherwise. Never reads or allocates past the input.
LauncherJournalStatus ParseLauncherJournal(const std::string& bytes, std::vector<LauncherJournalRecord>& records);
// Reads at most kLargestLauncherJournal bytes; never throws.
LauncherJournalStatus ReadLauncherJournal(const std::string& path, std::vector<LauncherJournalRecord>& records);
