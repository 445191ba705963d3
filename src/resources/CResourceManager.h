#pragma once

#include "resources/ArrivalRecord.h"
#include "resources/CCDNResourceDownloader.h"
#include "resources/ConfigTrust.h"
#include "resources/ResourceComparison.h"
#include "resources/ResourceManagerProgressInfo.h"
#include "resources/ResoureConfigInfo.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <set>
#include <string>

// Runs one update check of the installed files: loads the two local manifests, has the CDN
// config fetched, compares, updates the launcher's own files first and then the game resources,
// records every file that arrived, writes version.txt, and reports each step through the
// progress callback.
//
// Threads: SetProgressCallback, Init and the two Start operations on the caller's thread (the UI
// thread), except that the config callback may start the runs directly on the download worker
// that delivered the config. The CDN downloader's callbacks arrive on worker threads. The map
// lock of the downloader is always taken before this class's lock. The progress callback may run
// on any of these threads and must only copy what it needs.
//
// A process-wide singleton, made on first use and never destroyed.
class CResourceManager {
public:
    using ProgressCallback = std::function<void(ResourceManagerProgressState, const ResourceManagerProgressInfoBase*)>;

    static CResourceManager& GetInstance();

    virtual void SetProgressCallback(ProgressCallback callback);
    // Trusts one more publisher key besides those built in (the tools' --trusted-key). Before
    // Init; with any key trusted, a config is used only when ConfigTrust accepts it.
    void AddTrustedKey(const MinisignPublicKey& key);

    // With `check`, the checks that follow hash every installed launcher and game file the CDN
    // config lists with a 32-digit MD5 tag before comparing: a file that is missing or hashes to
    // another digest loses its manifest line (so it is fetched, and the manifest on disk never
    // vouches for it meanwhile), one that matches gets the config's line. Caller's thread,
    // before Init.
    void SetCheckInstalledFiles(bool check);
    // What the last check found and fixed: files hashed, found damaged, and of those the ones
    // that arrived again since.
    struct RepairCounts {
        int checked = 0;
        int damaged = 0;
        int repaired = 0;
    };
    RepairCounts GetRepairCounts();
    // Ends a running check of the installed files within one read step per hashing thread; what
    // it found damaged so far has left the manifests, and the run goes no further (no download).
    // Any thread; the next Init clears it.
    void StopFileCheck();

    // One update check below `rootFolder` (R, with its separator); `launcherFolder` holds
    // launcher_manifest.txt and the journal (the launcher passes R here too). `cdnAddress` is the
    // config address the update-address service returned.
    void Init(const std::string& launcherFolder, const std::string& rootFolder, const std::string& cdnAddress);
    // Starts the launcher run when launcher files must be fetched (`hasLauncherWork` says so).
    // Callers start the resource run only when it is false. Returns 1.
    int StartLauncherUpdate(bool& hasLauncherWork);
    // Deletes removed game resources, then fetches the changed ones (or reports 17). Returns 1.
    int StartResourceUpdate();
    // What the window does once the disk check passed: waits until the CDN downloader's workers
    // have ended (the one that reported the size is still finishing), then starts the launcher
    // run, or the resource run when no launcher file must be fetched. Caller's thread.
    void ContinueAfterDiskCheck();
    // Writes version.txt from a copy of the local resource map taken under the lock; nothing when
    // the map is empty. False when the file could not be written.
    bool SaveLocalResourceInfo();
    // The RESOURCE_HASH of the installed files; empty before any Init.
    std::string ComputeResourceHash();

    // The CDN base for a config address: cut before its last "/" twice, then "/" appended.
    static std::string DeriveCdnBase(const std::string& configAddress);

protected:
    CResourceManager() = default;
    virtual ~CResourceManager() = default;

private:
    void Report(ResourceManagerProgressState state, const ResourceManagerProgressInfoBase* info = nullptr);
    void LoadLocalResourceInfo();
    void LoadLauncherInfo();
    std::string StagingFolder() const;
    // Folds the files a run cut short had placed into the local resource map and version.txt,
    // then removes what that run left in the staging folder.
    void RecoverInterruptedRun();
    // The run has ended. When version.txt holds everything (`saved`), the record goes, with the
    // folder; otherwise it stays for the next start to fold.
    void CloseArrivals(bool saved);
    void LoadManifestInto(const std::string& path, ResoureConfigMap& map, const char* failurePrefix);

    bool CheckConfigSignature(const std::string& config);
    void OnConfigReceived(CDNDownloadState state, ResoureConfigList cdnList);
    // False when StopFileCheck ended it.
    bool CheckInstalledFilesAgainst(const ResoureConfigList& cdnList);
    // Rewrites version.txt (and launcher_manifest.txt when `launcher`) from the maps; a map left
    // empty removes its file, since an old one would vouch for files found damaged.
    void SaveCheckedManifests(bool launcher);
    void OnRunFinished(CDNDownloadState state, DownloadKind kind);
    void OnFileDone(const DownloadTaskInfo& task, CDNDownloadState state);
    void OnFilePlacing(const DownloadTaskInfo& task, const std::string& stagedPath, bool placing);
    void OnProgress(std::int64_t downloaded, std::int64_t total);

    std::string gameFolder_;
    std::string rootFolder_;
    std::string launcherFolder_;
    std::string cdnAddress_;
    std::string cdnBase_;

    ConfigTrust trust_;
    std::mutex lock_;         // the local maps while completions are recorded, and the arrivals record
    ArrivalRecord arrivals_;  // open during a resource run
    std::mutex callbackLock_;
    ProgressCallback progressCallback_;

    ResoureConfigMap localResourceMap_;
    ResoureConfigMap localLauncherMap_;
    ResourceUpdatePlan plan_;  // the CDN maps, the four lists and the total
    bool checkInstalledFiles_ = false;
    std::atomic<bool> stopFileCheck_{false};
    RepairCounts repairCounts_;
    std::set<std::pair<DownloadKind, std::string>>
        damagedFiles_;  // (kind, name) found damaged and not yet fetched again
};
