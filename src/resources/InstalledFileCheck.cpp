#include "resources/InstalledFileCheck.h"

#include "base/Md5.h"
#include "base/TextConversions.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

std::vector<FileVerdict> CheckInstalledFiles(const std::vector<FileToCheck>& files,
                                             unsigned threads,
                                             std::chrono::milliseconds interval,
                                             const FileCheckTick& tick,
                                             const std::atomic<bool>* stop) {
    FileCheckCounts progress;
    progress.fileCount = static_cast<int>(files.size());
    // A file that is not there is damaged without being read; the others' sizes are the total
    // the progress runs up to.
    std::vector<FileVerdict> verdicts(files.size(), FileVerdict::Unchecked);
    std::vector<std::size_t> damaged;
    std::vector<std::size_t> present;
    present.reserve(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::int64_t size = platform::FileSize(files[i].path);
        if (size < 0) {
            verdicts[i] = FileVerdict::Damaged;
            damaged.push_back(i);
            continue;
        }
        present.push_back(i);
        progress.totalBytes += size;
    }
    progress.filesChecked = static_cast<int>(damaged.size());
    progress.damaged = static_cast<int>(damaged.size());

    std::atomic<std::size_t> next{0};
    std::atomic<std::int64_t> hashed{0};
    std::atomic<int> checked{0};
    std::mutex lock;  // `found` and `running`
    std::condition_variable finished;
    std::vector<std::size_t> found;
    unsigned running = std::clamp<unsigned>(threads, 1, std::max<std::size_t>(present.size(), 1));
    auto work = [&] {
        std::vector<char> buffer(kFileCheckReadStep);
        std::string hex;
        for (std::size_t k; (k = next.fetch_add(1)) < present.size();) {
            std::size_t index = present[k];
            bool good = Md5HexOfFile(files[index].path, buffer, hex, &hashed, stop) &&
                        EqualsIgnoringAsciiCase(hex, files[index].tag);
            if (!good && stop && stop->load())
                break;
            verdicts[index] = good ? FileVerdict::Intact : FileVerdict::Damaged;
            if (!good) {
                std::lock_guard<std::mutex> guard(lock);
                found.push_back(index);
            }
            checked.fetch_add(1, std::memory_order_relaxed);
        }
        std::lock_guard<std::mutex> guard(lock);
        if (--running == 0)
            finished.notify_all();
    };
    std::vector<std::thread> workers;
    for (unsigned i = 0, count = running; i < count; ++i)
        workers.emplace_back(work);

    for (bool done = false; !done;) {
        {
            std::unique_lock<std::mutex> guard(lock);
            done = finished.wait_for(guard, interval, [&] { return running == 0; });
            damaged.insert(damaged.end(), found.begin(), found.end());
            progress.damaged += static_cast<int>(found.size());
            found.clear();
        }
        progress.bytesHashed = hashed.load(std::memory_order_relaxed);
        progress.filesChecked = static_cast<int>(files.size() - present.size()) + checked.load();
        tick(progress, damaged);
        damaged.clear();
    }
    for (std::thread& worker : workers)
        worker.join();
    return verdicts;
}
