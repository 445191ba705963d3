#pragma once

#include "download/DownloadTimings.h"
#include "download/DownloaderTaskProcessor.h"
#include "resources/LauncherJournal.h"
#include "resources/ResourceCompareResultInfo.h"
#include "resources/ResoureConfigInfo.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

class DownloaderTaskDispatcher;
class DownloadDataProcessor;

enum CDNDownloadState : int { DownloadSucceeded = 1, DownloadFailed = 2 };
enum DownloadKind : int { DownloadKindConfig = 1, DownloadKindResource = 2, DownloadKindLauncher = 3 };

// Turns the resource manager's requests (fetch the CDN config; fetch a list of files) into
// download tasks, makes each task's processor when a worker asks, interprets each result, stages
// launcher files in the launcher journal, counts bytes, and reports through four callbacks.
//
// Threads: configuration and the two Start operations on the caller's thread (the UI thread, or
// the worker that delivered the config); GetProcessor, OnTaskResult, OnAllTasksFinished and the
// byte count on worker threads. Locks, outermost first: the processor-map lock (covers insertion
// and the whole of OnTaskResult, so results are handled one at a time), then the byte lock; the
// dispatcher's lock and the resource manager's lock may be taken inside the map lock, never the
// other way round. OnAllTasksFinished runs under the dispatcher's lock and takes none of these.
//
// A process-wide singleton, made on first use and never destroyed.
class CCDNResourceDownloader final : public DownloaderTaskProcessor {
public:
    using ConfigCallback = std::function<void(CDNDownloadState, ResoureConfigList&&)>;  // the list is the receiver's
    using RunFinishedCallback = std::function<void(CDNDownloadState, DownloadKind)>;
    using FileDoneCallback = std::function<void(const DownloadTaskInfo&, CDNDownloadState)>;
    using ProgressCallback = std::function<void(std::int64_t downloaded, std::int64_t total)>;
    // A game file's checked bytes are about to be renamed from the staged file `stagedPath` over
    // its target (`placing`), or that rename failed (the staged file goes right after). The file
    // done callback follows a rename that succeeded.
    using PlacingCallback = std::function<void(const DownloadTaskInfo&, const std::string& stagedPath, bool placing)>;

    static CCDNResourceDownloader& GetInstance();

    // Set by the resource manager before a run; not while a run is active.
    void Configure(const std::string& cdnBase,
                   const std::string& configAddress,
                   const std::string& gameFolder,
                   const std::string& launcherFolder,
                   const std::string& stagingFolder);
    // Set while no run is active (the callbacks are read by worker threads without a lock).
    void SetCallbacks(ConfigCallback config,
                      RunFinishedCallback runFinished,
                      FileDoneCallback fileDone,
                      PlacingCallback placing,
                      ProgressCallback progress);
    // Waits of the engine (tests shorten them); applies to a dispatcher made afterwards.
    void SetTimings(const DownloadTimings& timings) { timings_ = timings; }
    const DownloadTimings& timings() const { return timings_; }
    // Asked with the config's body on the worker that fetched it, before the body is read; false
    // fails the config. Empty: every config is read. Set while no run is active.
    using ConfigCheck = std::function<bool(const std::string& body)>;
    void SetConfigCheck(ConfigCheck check) {
        std::lock_guard<std::recursive_mutex> guard(mapLock_);
        configCheck_ = std::move(check);
    }

    // Fetches the CDN config (kind 1, the whole body). Returns 1.
    int StartConfigDownload();
    // Fetches the listed files (kind 2 or 3). Returns 1.
    int StartDownload(const ResourceCompareList& list, DownloadKind kind);
    // Config address + "?r=" + local time (kind 1); base + packageDir + "/kx_game.kxpkg" (2, 3).
    std::string BuildUrl(DownloadKind kind, const std::string& packageDir) const;

    // Ends the launcher journal of the last launcher run with the new launcher manifest (state
    // byte 1). False when the journal is not intact or the manifest is empty; the journal is then
    // deleted, because a restart with half a journal would bring nothing new.
    bool CompleteLauncherJournal(const std::string& manifestText);

    // The dispatcher, null before the first run.
    DownloaderTaskDispatcher* GetDispatcher() const;

    DownloadDataProcessor* GetProcessor(const DownloadTaskInfo& task) override;
    void OnTaskResult(const DownloadTaskResultInfo& result) override;
    void OnAllTasksFinished() override;

private:
    CCDNResourceDownloader() = default;
    ~CCDNResourceDownloader() = default;

    void ConfigFinished(const DownloadTaskResultInfo& result, DownloadDataProcessor& processor);
    void FileFinished(const DownloadTaskResultInfo& result, DownloadDataProcessor& processor);
    // Counts bytes on the worker threads; reports the count at most every kProgressInterval,
    // and always the last byte of the run.
    void OnBytesWritten(std::int64_t growth);
    // Inserts under the map lock; false (with the trace line) when the name is taken.
    void MakeFoldersAhead(const ResourceCompareList& list, DownloadKind kind);
    bool InsertProcessor(const DownloadTaskInfo& task, std::unique_ptr<DownloadDataProcessor> processor);

    std::string cdnBase_;
    std::string configAddress_;
    std::string gameFolder_;
    std::string launcherFolder_;
    // The updater's own folder under the game root for files being written (no published name
    // can collide with them); launcher files wait there until they are in the journal.
    std::string stagingFolder_;
    DownloadTimings timings_;

    ConfigCheck configCheck_;
    ConfigCallback configCallback_;
    RunFinishedCallback runFinishedCallback_;
    FileDoneCallback fileDoneCallback_;
    PlacingCallback placingCallback_;
    ProgressCallback progressCallback_;

    std::unique_ptr<DownloaderTaskDispatcher> dispatcher_;
    std::recursive_mutex mapLock_;
    std::map<std::string, std::unique_ptr<DownloadDataProcessor>, OrdinalLess> processors_;

    std::atomic<int> queued_{0};
    std::atomic<int> finished_{0};
    std::atomic<int> failures_{0};  // results other than 200 (and unstaged launcher files)

    std::mutex byteLock_;
    std::int64_t downloaded_ = 0;
    std::int64_t total_ = 0;
    std::chrono::steady_clock::time_point nextReport_;  // no byte count is reported before it
    std::atomic<DownloadKind> currentKind_{DownloadKindConfig};

    std::unique_ptr<LauncherJournal> journal_;
};
