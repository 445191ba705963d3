#include "resources/CResourceManager.h"

#include "base/FileUtilities.h"
#include "base/Md5.h"
#include "base/SafePath.h"
#include "base/Trace.h"
#include "download/DownloaderTaskDispatcher.h"
#include "platform/FileSystem.h"
#include "resources/InstalledFileCheck.h"
#include "resources/ManifestFormat.h"
#include "resources/ResourceHash.h"
#include "shell/GameProcessContract.h"

#include <algorithm>
#include <string_view>
#include <thread>
#include <unordered_set>
#include <utility>

namespace {

// "<process id>-<counter>", as the file processors name what they stage.
bool IsStagedFileName(const std::string& name) {
    std::size_t dash = name.find('-');
    auto digits = [](const std::string& text) {
        return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    return dash != std::string::npos && digits(name.substr(0, dash)) && digits(name.substr(dash + 1));
}

}  // namespace

CResourceManager& CResourceManager::GetInstance() {
    // Never destroyed: worker threads may still report while the process ends.
    static CResourceManager* instance = new CResourceManager();
    return *instance;
}

void CResourceManager::SetProgressCallback(ProgressCallback callback) {
    std::lock_guard<std::mutex> guard(callbackLock_);
    progressCallback_ = std::move(callback);
}

void CResourceManager::AddTrustedKey(const MinisignPublicKey& key) {
    trust_.AddKey(key);
}

void CResourceManager::SetCheckInstalledFiles(bool check) {
    checkInstalledFiles_ = check;
}

void CResourceManager::StopFileCheck() {
    stopFileCheck_.store(true);
}

CResourceManager::RepairCounts CResourceManager::GetRepairCounts() {
    std::lock_guard<std::mutex> guard(lock_);
    return repairCounts_;
}

void CResourceManager::Report(ResourceManagerProgressState state, const ResourceManagerProgressInfoBase* info) {
    ProgressCallback callback;
    {
        std::lock_guard<std::mutex> guard(callbackLock_);
        callback = progressCallback_;
    }
    if (callback)
        callback(state, info);
}

std::string CResourceManager::DeriveCdnBase(const std::string& configAddress) {
    std::string base = configAddress;
    for (char& c : base) {
        if (c == '\\')
            c = '/';
    }
    for (int cut = 0; cut < 2; ++cut) {
        std::size_t slash = base.rfind('/');
        if (slash != std::string::npos)
            base.erase(slash);
    }
    return base + "/";
}

void CResourceManager::Init(const std::string& launcherFolder,
                            const std::string& rootFolder,
                            const std::string& cdnAddress) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        localResourceMap_.clear();
        localLauncherMap_.clear();
        plan_ = ResourceUpdatePlan();
        repairCounts_ = RepairCounts();
        damagedFiles_.clear();
    }
    stopFileCheck_.store(false);
    rootFolder_ = rootFolder;
    gameFolder_ = GameFolder(rootFolder);
    launcherFolder_ = launcherFolder;
    cdnAddress_ = cdnAddress;
    for (char& c : cdnAddress_) {
        if (c == '\\')
            c = '/';
    }
    cdnBase_ = DeriveCdnBase(cdnAddress_);

    LoadLocalResourceInfo();
    LoadLauncherInfo();

    CCDNResourceDownloader& downloader = CCDNResourceDownloader::GetInstance();
    downloader.Configure(cdnBase_, cdnAddress_, gameFolder_, launcherFolder_, StagingFolder());
    downloader.SetCallbacks(
        [this](CDNDownloadState state, ResoureConfigList&& list) { OnConfigReceived(state, std::move(list)); },
        [this](CDNDownloadState state, DownloadKind kind) { OnRunFinished(state, kind); },
        [this](const DownloadTaskInfo& task, CDNDownloadState state) { OnFileDone(task, state); },
        [this](const DownloadTaskInfo& task, const std::string& stagedPath, bool placing) {
            OnFilePlacing(task, stagedPath, placing);
        },
        [this](std::int64_t downloaded, std::int64_t total) { OnProgress(downloaded, total); });
    if (trust_.Required())
        downloader.SetConfigCheck([this](const std::string& config) { return CheckConfigSignature(config); });
    else
        downloader.SetConfigCheck(nullptr);
    TraceLine("初始化cdn资源信息");
    Report(CdnCheckBegin);
    downloader.StartConfigDownload();
}

void CResourceManager::LoadManifestInto(const std::string& path, ResoureConfigMap& map, const char* failurePrefix) {
    ResoureConfigList list;
    LoadManifest(path, list);
    std::lock_guard<std::mutex> guard(lock_);
    for (ResoureConfigInfo& record : list)
        InsertRecordFirstWins(map, std::move(record), failurePrefix);
}

void CResourceManager::LoadLocalResourceInfo() {
    TraceLine("初始化本地资源信息");
    Report(LocalCheckBegin);
    LoadManifestInto(rootFolder_ + kVersionFileName, localResourceMap_, "LocalResourceInfo插入失败\t");
    RecoverInterruptedRun();
    TraceLine("初始化本地资源信息完成，配置数量" + std::to_string(localResourceMap_.size()));
    Report(LocalCheckEnd);
}

std::string CResourceManager::StagingFolder() const {
    return rootFolder_ + kStagingFolderName + "/";
}

void CResourceManager::RecoverInterruptedRun() {
    const std::string folder = StagingFolder();
    const std::string record = folder + kArrivalsFileName;
    std::string text;
    bool folded = true;
    if (ReadRawFile(record, text)) {
        ResoureConfigList arrived = ArrivalRecord::ReadPlaced(
            text, [&](const std::string& staged) { return platform::FileExists(folder + staged); });
        {
            // In arrival order: a later line of a name is the later truth.
            std::lock_guard<std::mutex> guard(lock_);
            for (const ResoureConfigInfo& line : arrived) {
                auto [found, inserted] = localResourceMap_.try_emplace(line.name, line);
                if (!inserted)
                    found->second.md5 = line.md5;
            }
        }
        TraceLine("上次更新中断,已记录到达的资源\t" + std::to_string(arrived.size()));
        ResoureConfigMap copy;
        {
            std::lock_guard<std::mutex> guard(lock_);
            copy = localResourceMap_;
        }
        // The record stays until version.txt holds it: folding the same lines again is harmless.
        folded = arrived.empty() || SaveManifest(rootFolder_ + kVersionFileName, copy);
    }
    // Until version.txt holds the record, the staged files still there are its evidence of what
    // never reached its target: they stay with it.
    if (!folded)
        return;
    // A run cut short left its half-written files here, in a folder per worker; nothing else ever
    // looks at them. Inside those folders only staged names go, so a link planted there never
    // costs a file of another name.
    std::vector<std::pair<std::string, bool>> entries;
    if (platform::ListFolder(folder, entries)) {
        for (const auto& [name, isFolder] : entries) {
            if (!isFolder) {
                platform::RemoveFile(folder + name);
                continue;
            }
            std::vector<std::string> names;
            if (platform::ListFolderFiles(folder + name, names)) {
                for (const std::string& staged : names) {
                    if (IsStagedFileName(staged))
                        platform::RemoveFile(folder + name + "/" + staged);
                }
            }
        }
    }
    RemoveEmptyFolders(folder);
}

void CResourceManager::CloseArrivals(bool saved) {
    std::lock_guard<std::mutex> guard(lock_);
    arrivals_.Close();
    if (!saved)
        return;
    platform::RemoveFile(StagingFolder() + kArrivalsFileName);
    RemoveEmptyFolders(StagingFolder());
}

void CResourceManager::LoadLauncherInfo() {
    TraceLine("初始化Launcher信息");
    Report(LauncherManifestBegin);
    LoadManifestInto(launcherFolder_ + kLauncherManifestFileName, localLauncherMap_, "LauncherInfo插入失败\t");
    TraceLine("初始化Launcher配置信息完成，配置数量" + std::to_string(localLauncherMap_.size()));
    Report(LauncherManifestEnd);
}

bool CResourceManager::CheckConfigSignature(const std::string& config) {
    std::string reason;
    if (!trust_.FetchAndAccept(cdnAddress_, config, rootFolder_, CCDNResourceDownloader::GetInstance().timings(),
                               reason)) {
        TraceLine("cdn config refused: " + reason);
        return false;
    }
    return true;
}

void CResourceManager::OnConfigReceived(CDNDownloadState state, ResoureConfigList cdnList) {
    if (state != DownloadSucceeded) {
        {
            std::lock_guard<std::mutex> guard(lock_);
            plan_ = ResourceUpdatePlan();
        }
        TraceLine("校验cdn资源信息失败");
        Report(CdnCheckFailed);
        return;
    }
    Report(CdnCheckEnd);
    // A stopped check ends the run: the process is on its way out.
    if (checkInstalledFiles_ && !CheckInstalledFilesAgainst(cdnList))
        return;
    std::uint64_t total;
    {
        std::lock_guard<std::mutex> guard(lock_);
        PlanResourceUpdate(std::move(cdnList), localLauncherMap_, localResourceMap_, gameFolder_, plan_);
        total = plan_.downloadTotal;
    }
    SaveLocalResourceInfo();
    if (total == 0) {
        bool hasLauncherWork = false;
        StartLauncherUpdate(hasLauncherWork);
        if (!hasLauncherWork)
            StartResourceUpdate();
        return;
    }
    RequestDownloadTotalSizeNoticeInfo info(static_cast<std::int64_t>(total));
    Report(DownloadSizeNotice, &info);
}

int CResourceManager::StartLauncherUpdate(bool& hasLauncherWork) {
    TraceLine("开始比对CDN与本地Launcher");
    hasLauncherWork = false;
    ResourceCompareList fetch;
    {
        std::lock_guard<std::mutex> guard(lock_);
        fetch = plan_.launcherFetchList;
    }
    if (fetch.empty()) {
        TraceLine("Launcher校验完毕,没有Launcher资源需要更新");
        return 1;
    }
    hasLauncherWork = true;
    Report(LauncherDownloadBegin);
    CCDNResourceDownloader::GetInstance().StartDownload(fetch, DownloadKindLauncher);
    return 1;
}

int CResourceManager::StartResourceUpdate() {
    TraceLine("开始比对CDN与本地资源");
    ResourceCompareList fetch;
    {
        std::lock_guard<std::mutex> guard(lock_);
        for (const ResourceCompareResultInfo& removed : plan_.resourceRemovalList) {
            std::string path;
            if (ResolveResourcePath(gameFolder_, removed.name, path) && DeleteFileIfExists(path))
                localResourceMap_.erase(removed.name);
        }
        fetch = plan_.resourceFetchList;
    }
    if (fetch.empty()) {
        TraceLine("资源校验完毕,没有资源需要更新");
        Report(ResourceUpdateDone);
        return 1;
    }
    Report(ResourceDownloadBegin);
    {
        std::lock_guard<std::mutex> guard(lock_);
        CreateFolderChain(StagingFolder());
        arrivals_.Open(StagingFolder() + kArrivalsFileName);
    }
    CCDNResourceDownloader::GetInstance().StartDownload(fetch, DownloadKindResource);
    return 1;
}

void CResourceManager::ContinueAfterDiskCheck() {
    if (DownloaderTaskDispatcher* dispatcher = CCDNResourceDownloader::GetInstance().GetDispatcher())
        dispatcher->WaitUntilIdle();
    bool hasLauncherWork = false;
    StartLauncherUpdate(hasLauncherWork);
    if (!hasLauncherWork)
        StartResourceUpdate();
}

void CResourceManager::OnFileDone(const DownloadTaskInfo& task, CDNDownloadState state) {
    if (state != DownloadSucceeded)
        return;
    std::lock_guard<std::mutex> guard(lock_);
    const ResoureConfigMap* source = nullptr;
    ResoureConfigMap* target = nullptr;
    if (task.kind == DownloadKindResource) {
        source = &plan_.cdnResourceMap;
        target = &localResourceMap_;
    } else if (task.kind == DownloadKindLauncher) {
        source = &plan_.cdnLauncherMap;
        target = &localLauncherMap_;
    } else {
        return;
    }
    auto found = source->find(task.name);
    if (found == source->end())
        return;
    if (damagedFiles_.erase({static_cast<DownloadKind>(task.kind), task.name}) > 0)
        ++repairCounts_.repaired;
    auto existing = target->find(task.name);
    if (existing == target->end())
        target->emplace(task.name, found->second);
    else
        existing->second.md5 = found->second.md5;
}

void CResourceManager::OnFilePlacing(const DownloadTaskInfo& task, const std::string& stagedPath, bool placing) {
    const std::string folder = StagingFolder();
    if (task.kind != DownloadKindResource || stagedPath.compare(0, folder.size(), folder) != 0)
        return;
    const std::string staged = stagedPath.substr(folder.size());
    std::lock_guard<std::mutex> guard(lock_);
    if (!placing) {
        arrivals_.NotPlaced(staged);
        return;
    }
    auto found = plan_.cdnResourceMap.find(task.name);
    if (found != plan_.cdnResourceMap.end())
        arrivals_.Placing(staged, found->second);
}

void CResourceManager::OnRunFinished(CDNDownloadState state, DownloadKind kind) {
    if (kind == DownloadKindLauncher) {
        if (state == DownloadSucceeded) {
            ResoureConfigMap launcherMap;
            {
                std::lock_guard<std::mutex> guard(lock_);
                launcherMap = localLauncherMap_;
            }
            if (!CCDNResourceDownloader::GetInstance().CompleteLauncherJournal(SerializeManifest(launcherMap))) {
                Report(LauncherDownloadFailed);
                return;
            }
            Report(LauncherUpdateDone);
        } else {
            Report(LauncherDownloadFailed);
        }
    } else if (kind == DownloadKindResource) {
        CloseArrivals(SaveLocalResourceInfo());
        Report(state == DownloadSucceeded ? ResourceUpdateDone : ResourceDownloadFailed);
    }
}

void CResourceManager::OnProgress(std::int64_t downloaded, std::int64_t total) {
    ResourceManagerUpdateProgressInfo info(downloaded, total);
    Report(DownloadProgress, &info);
}

bool CResourceManager::SaveLocalResourceInfo() {
    // One string instead of a copy of the map: tens of thousands of nodes with many resources.
    std::string text;
    std::string root;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (rootFolder_.empty() || localResourceMap_.empty())
            return true;
        text = SerializeManifest(localResourceMap_);
        root = rootFolder_;
    }
    return SaveManifestText(root + kVersionFileName, text);
}

bool CResourceManager::CheckInstalledFilesAgainst(const ResoureConfigList& cdnList) {
    struct Checked {
        DownloadKind kind;
        const ResoureConfigInfo* record;
    };
    std::vector<Checked> checked;
    std::vector<FileToCheck> files;
    // The first record of a name is the one compared. Views of cdnList's names, which outlive the
    // sets: no copy of every name, and no ordering that nothing here needs.
    std::unordered_set<std::string_view> seenLaunchers;
    std::unordered_set<std::string_view> seenResources;
    seenResources.reserve(cdnList.size());
    checked.reserve(cdnList.size());
    files.reserve(cdnList.size());
    for (const ResoureConfigInfo& record : cdnList) {
        DownloadKind kind = IsLauncherCategory(record.category) ? DownloadKindLauncher : DownloadKindResource;
        auto& seen = kind == DownloadKindLauncher ? seenLaunchers : seenResources;
        if (!seen.emplace(record.name).second || !IsMd5Tag(record.md5))
            continue;
        std::string path;
        if (!ResolveResourcePath(kind == DownloadKindLauncher ? launcherFolder_ : gameFolder_, record.name, path))
            continue;
        checked.push_back({kind, &record});
        files.push_back({std::move(path), record.md5});
    }
    TraceLine("开始校验游戏文件,数量" + std::to_string(files.size()));
    Report(FileCheckBegin);

    bool launcherChanged = false;
    bool resourcePending = false;  // a line left a map since that manifest was last written
    bool launcherPending = false;
    FileCheckCounts last;
    // The first damaged file is written out at once, later ones at most once a second: a run cut
    // short never leaves a manifest vouching for a file found damaged more than a second before.
    auto lastSave = std::chrono::steady_clock::now() - std::chrono::seconds(1);
    auto forget = [&](const FileCheckCounts& progress, const std::vector<std::size_t>& damaged) {
        last = progress;
        {
            std::lock_guard<std::mutex> guard(lock_);
            for (std::size_t index : damaged) {
                const Checked& file = checked[index];
                ResoureConfigMap& map = file.kind == DownloadKindLauncher ? localLauncherMap_ : localResourceMap_;
                bool hadLine = map.erase(file.record->name) > 0;
                (file.kind == DownloadKindLauncher ? launcherPending : resourcePending) |= hadLine;
                damagedFiles_.emplace(file.kind, file.record->name);
                TraceLine("游戏文件已损坏\t" + file.record->name);
            }
        }
        launcherChanged |= launcherPending;
        auto now = std::chrono::steady_clock::now();
        if ((resourcePending || launcherPending) && now - lastSave >= std::chrono::seconds(1)) {
            SaveCheckedManifests(launcherPending);
            resourcePending = launcherPending = false;
            lastSave = now;
        }
        FileCheckProgressInfo info(progress.bytesHashed, progress.totalBytes, progress.filesChecked, progress.fileCount,
                                   progress.damaged);
        Report(FileCheckProgress, &info);
    };
    unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    std::vector<FileVerdict> verdicts =
        CheckInstalledFiles(files, threads, std::chrono::milliseconds(100), forget, &stopFileCheck_);

    int damaged = 0;
    {
        std::lock_guard<std::mutex> guard(lock_);
        for (std::size_t i = 0; i < checked.size(); ++i) {
            // A file the stopped check did not finish keeps whatever line it had.
            if (verdicts[i] != FileVerdict::Intact) {
                damaged += verdicts[i] == FileVerdict::Damaged ? 1 : 0;
                continue;
            }
            // What is on disk is what the config lists, whatever the manifest said.
            const ResoureConfigInfo& record = *checked[i].record;
            ResoureConfigMap& map = checked[i].kind == DownloadKindLauncher ? localLauncherMap_ : localResourceMap_;
            auto existing = map.find(record.name);
            if (existing == map.end())
                map.emplace(record.name, record);
            else
                existing->second.md5 = record.md5;
        }
        repairCounts_.checked = static_cast<int>(checked.size());
        repairCounts_.damaged = damaged;
    }
    // Lines the intact files got are written with the plan that follows; what left the maps since
    // the last write is written here, where an emptied map removes its file.
    if (resourcePending || launcherChanged)
        SaveCheckedManifests(launcherChanged);
    TraceLine("校验游戏文件完成,数量" + std::to_string(checked.size()) + ",损坏" + std::to_string(damaged));
    if (stopFileCheck_.load()) {
        TraceLine("校验游戏文件已停止");
        return false;
    }
    FileCheckProgressInfo info(last.bytesHashed, last.totalBytes, last.filesChecked, last.fileCount, damaged);
    Report(FileCheckEnd, &info);
    return true;
}

void CResourceManager::SaveCheckedManifests(bool launcher) {
    ResoureConfigMap resources;
    ResoureConfigMap launcherFiles;
    {
        std::lock_guard<std::mutex> guard(lock_);
        resources = localResourceMap_;
        if (launcher)
            launcherFiles = localLauncherMap_;
    }
    auto save = [](const std::string& path, const ResoureConfigMap& map) {
        if (!map.empty())
            return SaveManifest(path, map);
        DeleteFileIfExists(path);
        return !platform::FileExists(path);
    };
    // An arrivals record the start could not fold into version.txt is in the map already; once
    // version.txt holds the map, an old line of it must not bring back a file found damaged.
    if (save(rootFolder_ + kVersionFileName, resources))
        platform::RemoveFile(StagingFolder() + kArrivalsFileName);
    if (launcher)
        save(launcherFolder_ + kLauncherManifestFileName, launcherFiles);
}

std::string CResourceManager::ComputeResourceHash() {
    return ::ComputeResourceHash(rootFolder_);
}
