#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Hashes installed files and compares each digest with the MD5 tag the CDN config gives it, so a
// file changed after it was recorded (a failing disk, an antivirus, a player's edit) is found.
// The hashing threads read each file in steps of kFileCheckReadStep into a buffer of their own,
// so memory stays at that times the thread count whatever the files' sizes.

inline constexpr std::size_t kFileCheckReadStep = 256 * 1024;

struct FileToCheck {
    std::string path;  // native path
    std::string tag;   // 32 hexadecimal digits, either case
};

struct FileCheckCounts {
    std::int64_t bytesHashed = 0;
    std::int64_t totalBytes = 0;  // sizes of the files as the check began
    int filesChecked = 0;
    int fileCount = 0;
    int damaged = 0;  // missing, unreadable, or another digest
};

// Called on the calling thread with the progress and the indexes of the files found damaged
// since the previous call.
using FileCheckTick = std::function<void(const FileCheckCounts&, const std::vector<std::size_t>& newlyDamaged)>;

enum class FileVerdict : char {
    Unchecked,  // the check was stopped before it knew
    Intact,
    Damaged,
};

// Checks every file on `threads` threads (at least one) and returns one verdict per file. `tick`
// runs about every `interval` while the threads hash, and once more after the threads ended,
// before the return; every damaged index reaches it exactly once. Once `stop` is set the threads
// end within one read step each, leaving the files they had not finished unchecked.
std::vector<FileVerdict> CheckInstalledFiles(const std::vector<FileToCheck>& files,
                                             unsigned threads,
                                             std::chrono::milliseconds interval,
                                             const FileCheckTick& tick,
                                             const std::atomic<bool>* stop = nullptr);
