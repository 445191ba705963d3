#include "resources/CCDNResourceDownloader.h"

#include "base/FileUtilities.h"
#include "base/SafePath.h"
#include "base/Trace.h"
#include "download/CDNResourceDataProcessor.h"
#include "download/DownloadTextProcessor.h"
#include "download/DownloaderTaskDispatcher.h"
#include "notice/UpdateServers.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "resources/ManifestFormat.h"

#include <set>
#include <utility>
#include <vector>

namespace {

constexpr const char* kProcessorInsertFailed = "CDNResourceConfigDataProcessor插入失败\t";
// A config of a few million lines stays far below this; a body past it is refused as it arrives
// (the config then fails like a failed request) instead of growing without bound.
constexpr std::size_t kConfigBodyLimit = 256 * 1024 * 1024;
// A report per 1,024-byte write would wake the window (or tolm-update's loop) a quarter million
// times for 250 MB; twenty a second are plenty to follow a download.
constexpr std::chrono::milliseconds kProgressInterval(50);

}  // namespace

CCDNResourceDownloader& CCDNResourceDownloader::GetInstance() {
    // Never destroyed: worker threads may still call in while the process ends.
    static CCDNResourceDownloader* instance = new CCDNResourceDownloader();
    return *instance;
}

void CCDNResourceDownloader::Configure(const std::string& cdnBase,
                                       const std::string& configAddress,
                                       const std::string& gameFolder,
                                       const std::string& launcherFolder,
                                       const std::string& stagingFolder) {
    cdnBase_ = cdnBase;
    configAddress_ = configAddress;
    gameFolder_ = gameFolder;
    launcherFolder_ = launcherFolder;
    stagingFolder_ = stagingFolder;
}

void CCDNResourceDownloader::SetCallbacks(ConfigCallback config,
                                          RunFinishedCallback runFinished,
                                          FileDoneCallback fileDone,
                                          PlacingCallback placing,
                                          ProgressCallback progress) {
    std::lock_guard<std::recursive_mutex> guard(mapLock_);
    configCallback_ = std::move(config);
    runFinishedCallback_ = std::move(runFinished);
    fileDoneCallback_ = std::move(fileDone);
    placingCallback_ = std::move(placing);
    progressCallback_ = std::move(progress);
}

std::string CCDNResourceDownloader::BuildUrl(DownloadKind kind, const std::string& packageDir) const {
    if (kind == DownloadKindConfig)
        return configAddress_ + "?r=" + platform::FormatLocalTimeNow("%Y%m%d%H%M%S");
    if (kind == DownloadKindResource || kind == DownloadKindLauncher)
        return cdnBase_ + (packageDir.empty() ? std::string() : packageDir + "/") + kPackageFileName;
    return std::string();
}

DownloaderTaskDispatcher* CCDNResourceDownloader::GetDispatcher() const {
    return dispatcher_.get();
}

int CCDNResourceDownloader::StartConfigDownload() {
    if (dispatcher_)
        dispatcher_->ClearPending();
    ResourceCompareResultInfo entry;
    entry.offset = -1;
    entry.length = 0;
    return StartDownload({entry}, DownloadKindConfig);
}

int CCDNResourceDownloader::StartDownload(const ResourceCompareList& list, DownloadKind kind) {
    queued_.exchange(0);
    finished_.exchange(0);
    failures_.exchange(0);
    {
        std::lock_guard<std::mutex> guard(byteLock_);
        downloaded_ = 0;
        total_ = 0;
        nextReport_ = std::chrono::steady_clock::time_point();
    }
    currentKind_.store(kind);
    if (!dispatcher_) {
        dispatcher_ = std::make_unique<DownloaderTaskDispatcher>(this, kDownloadThreads);
        dispatcher_->SetTimings(timings_);
    }
    if (kind == DownloadKindLauncher) {
        // A first install has no launcher folder yet; the journal must not fail for that.
        CreateFolderChain(launcherFolder_);
        journal_ = std::make_unique<LauncherJournal>(launcherFolder_ + kLauncherJournalFileName);
        journal_->Begin();
    }
    if (kind != DownloadKindConfig)
        MakeFoldersAhead(list, kind);
    std::vector<DownloadTaskInfo> tasks;
    tasks.reserve(list.size());
    for (const ResourceCompareResultInfo& entry : list) {
        DownloadTaskInfo task;
        task.url = BuildUrl(kind, entry.packageDir);
        task.name = entry.name;
        task.kind = kind;
        task.packageDir = entry.packageDir;
        task.offset = entry.offset;
        task.length = static_cast<std::uint32_t>(entry.length);
        task.md5 = entry.cdnMd5;
        {
            std::lock_guard<std::mutex> guard(byteLock_);
            total_ += static_cast<std::uint32_t>(entry.length);
        }
        ++queued_;
        tasks.push_back(std::move(task));
    }
    dispatcher_->AddTasks(tasks);
    return 1;
}

void CCDNResourceDownloader::MakeFoldersAhead(const ResourceCompareList& list, DownloadKind kind) {
    // Once per folder for the whole run, instead of a look (and the process-wide folder lock)
    // before every file.
    CreateFolderChain(stagingFolder_);
    if (kind != DownloadKindResource)
        return;
    std::set<std::string> folders;
    for (const ResourceCompareResultInfo& entry : list) {
        std::string path, folder;
        if (ResolveResourcePath(gameFolder_, entry.name, path) && ParentFolder(path, folder))
            folders.insert(folder);
    }
    for (const std::string& folder : folders)
        CreateFolderChain(folder);
}

bool CCDNResourceDownloader::InsertProcessor(const DownloadTaskInfo& task,
                                             std::unique_ptr<DownloadDataProcessor> processor) {
    std::lock_guard<std::recursive_mutex> guard(mapLock_);
    if (!processors_.emplace(task.name, std::move(processor)).second) {
        TraceLine(kProcessorInsertFailed + task.name);
        return false;
    }
    return true;
}

DownloadDataProcessor* CCDNResourceDownloader::GetProcessor(const DownloadTaskInfo& task) {
    if (task.kind == DownloadKindConfig) {
        auto processor = std::make_unique<DownloadTextProcessor>(task);
        processor->SetSizeLimit(kConfigBodyLimit);
        DownloadDataProcessor* raw = processor.get();
        return InsertProcessor(task, std::move(processor)) ? raw : nullptr;
    }
    if (task.kind != DownloadKindResource && task.kind != DownloadKindLauncher)
        return nullptr;
    auto processor = std::make_unique<CDNResourceDataProcessor>(task);
    processor->SetStagingFolder(stagingFolder_);
    processor->SetProgressCallback([this](std::int64_t growth) { OnBytesWritten(growth); });
    if (task.kind == DownloadKindResource) {
        processor->SetBaseDir(gameFolder_);
        // Written down as it is placed, not when its whole segment has ended: a run killed at
        // any moment keeps what arrived.
        processor->SetPlacementCallback([this](const CDNResourceDataProcessor& file,
                                               CDNResourceDataProcessor::Placement step) {
            if (step == CDNResourceDataProcessor::Placement::Placed) {
                if (fileDoneCallback_)
                    fileDoneCallback_(file.task(), DownloadSucceeded);
            } else if (placingCallback_) {
                placingCallback_(file.task(), file.stagedPath(), step == CDNResourceDataProcessor::Placement::Placing);
            }
        });
    }
    DownloadDataProcessor* raw = processor.get();
    return InsertProcessor(task, std::move(processor)) ? raw : nullptr;
}

void CCDNResourceDownloader::OnTaskResult(const DownloadTaskResultInfo& result) {
    std::lock_guard<std::recursive_mutex> guard(mapLock_);
    auto found = processors_.find(result.name);
    if (found == processors_.end())
        return;
    if (result.kind == DownloadKindConfig)
        ConfigFinished(result, *found->second);
    else if (result.kind == DownloadKindResource || result.kind == DownloadKindLauncher)
        FileFinished(result, *found->second);
    // The callbacks may have started a new run, but never one that reuses this name while its
    // processor is still here: map keys are unique per run and this one is removed now.
    processors_.erase(result.name);
}

void CCDNResourceDownloader::ConfigFinished(const DownloadTaskResultInfo& result, DownloadDataProcessor& processor) {
    CDNDownloadState state = DownloadFailed;
    ResoureConfigList list;
    if (result.result == 200) {
        std::string body;
        // A config without a usable line, or with a line no range can fetch, fails like one that
        // could not be fetched: acting on it would delete installed files or fetch nonsense.
        if (processor.GetContent(body) && (!configCheck_ || configCheck_(body)) && ParseConfigBody(body, list) &&
            IsFetchableConfig(list))
            state = DownloadSucceeded;
        else
            list.clear();
    }
    if (configCallback_)
        configCallback_(state, std::move(list));
}

void CCDNResourceDownloader::FileFinished(const DownloadTaskResultInfo& result, DownloadDataProcessor& processor) {
    ++finished_;
    if (result.result != 200) {
        ++failures_;
        if (dispatcher_)
            dispatcher_->Stop();
        return;
    }
    auto& file = static_cast<CDNResourceDataProcessor&>(processor);
    if (!file.arrived()) {
        // Its bytes did not match the tag: this file fails, the others of the run go on.
        ++failures_;
        return;
    }
    if (result.kind == DownloadKindLauncher) {
        // Streamed from the checked file into the journal: a launcher file is never held whole.
        if (!journal_ || !journal_->AppendFileRecord(result.name, file.stagedPath())) {
            // Without its journal record the file would be missing after the restart.
            ++failures_;
            if (dispatcher_)
                dispatcher_->Stop();
            return;
        }
        if (fileDoneCallback_)
            fileDoneCallback_(result, DownloadSucceeded);
    }
    // A game file was reported when it arrived.
}

void CCDNResourceDownloader::OnAllTasksFinished() {
    DownloadKind kind = currentKind_.load();
    if (kind == DownloadKindConfig)
        return;
    bool succeeded = failures_.load() == 0 && finished_.load() == queued_.load();
    if (!succeeded && kind == DownloadKindLauncher && journal_)
        journal_->Delete();
    // Before the callback: a caller may end the process as soon as it hears the run ended. The
    // resource manager removes the staging folder of a resource run itself, with its record.
    if (kind == DownloadKindLauncher)
        RemoveEmptyFolders(stagingFolder_);
    if (runFinishedCallback_)
        runFinishedCallback_(succeeded ? DownloadSucceeded : DownloadFailed, kind);
}

bool CCDNResourceDownloader::CompleteLauncherJournal(const std::string& manifestText) {
    if (!journal_)
        return false;
    if (journal_->Complete(manifestText))
        return true;
    journal_->Delete();
    return false;
}

void CCDNResourceDownloader::OnBytesWritten(std::int64_t growth) {
    std::int64_t downloaded, total;
    {
        std::lock_guard<std::mutex> guard(byteLock_);
        downloaded_ += growth;
        downloaded = downloaded_;
        total = total_;
        auto now = std::chrono::steady_clock::now();
        if (downloaded < total && now < nextReport_)
            return;
        nextReport_ = now + kProgressInterval;
    }
    if (progressCallback_)
        progressCallback_(downloaded, total);
}
