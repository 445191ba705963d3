#include "HeadlessUpdate.h"

#include "notice/DeviceId.h"
#include "notice/TKNoticeRequest.h"
#include "notice/UpdateServers.h"
#include "resources/CResourceManager.h"
#include "resources/ProgressEventQueue.h"
#include "resources/ProgressStageTable.h"
#include "shell/DiskSpaceCheck.h"
#include "shell/DownloadProgressModel.h"
#include "shell/LauncherVersion.h"
#include "shell/StageTexts.h"

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

HeadlessUpdate::HeadlessUpdate(HeadlessUpdateOptions options, std::FILE* out)
    : options_(std::move(options)), out_(out), terminal_(::isatty(::fileno(out)) != 0) {}

void HeadlessUpdate::Stage(const std::string& text) {
    if (statusShown_ && terminal_)
        std::fputs("\n", out_);
    statusShown_ = false;
    std::fprintf(out_, "%s\n", text.c_str());
    std::fflush(out_);
}

void HeadlessUpdate::Status(const std::string& line) {
    if (terminal_)
        std::fprintf(out_, "\r%s\x1b[K", line.c_str());
    else
        std::fprintf(out_, "%s\n", line.c_str());
    statusShown_ = true;
    std::fflush(out_);
}

void HeadlessUpdate::FileCheckStatus(const FileCheckProgressInfo& info, bool last) {
    auto now = std::chrono::steady_clock::now();
    // Redrawn in place about ten times a second on a terminal, one line a second into a file.
    if (!last && !terminal_ && now - lastCheckStatus_ < std::chrono::seconds(1))
        return;
    lastCheckStatus_ = now;
    Status(FileCheckStatusText(info.filesChecked, info.fileCount, info.bytesHashed, info.totalBytes,
                               std::chrono::duration<double>(now - checkStart_).count()));
}

bool HeadlessUpdate::AskForAddress(std::string& address) {
    Stage(kRequestingAddressText);
    auto params = std::make_unique<NoticeRequestParams>();
    GetDeviceId(params->deviceId);
    params->language = kNoticeLanguage;
    params->packageName = kPackageIdentifier;
    params->version = RunningProgramVersionText();

    std::mutex lock;
    std::condition_variable answered;
    bool done = false;
    RequestNoticeResult result = NoticeResultRequestError;
    TKNoticeRequest request(options_.noticeUrl);
    request.SetTimings(options_.timings);
    request.SetNoticeCallback([&](const std::string& url, RequestNoticeResult outcome) {
        std::lock_guard<std::mutex> guard(lock);
        address = url;
        result = outcome;
        done = true;
        answered.notify_all();
    });
    if (!request.Start(std::move(params))) {
        Stage(NoticeFailureText(NoticeResultRequestError));
        return false;
    }
    {
        std::unique_lock<std::mutex> guard(lock);
        answered.wait(guard, [&] { return done; });
    }
    request.Wait();
    if (result != NoticeResultSuccess) {
        Stage(NoticeFailureText(result));
        return false;
    }
    return true;
}

int HeadlessUpdate::FollowUpdateCheck(const std::string& address) {
    ProgressEventQueue events;
    // Runs before `events` goes: no report may still be on its way into it.
    struct Detach {
        ~Detach() { ProgressEventQueue::DetachFrom(CResourceManager::GetInstance()); }
    } detach;
    CCDNResourceDownloader::GetInstance().SetTimings(options_.timings);
    CResourceManager& manager = CResourceManager::GetInstance();
    manager.SetProgressCallback(events.Callback());
    manager.SetCheckInstalledFiles(options_.checkFiles);
    manager.Init(options_.root, options_.root, address);

    DownloadProgressModel progress;
    bool downloading = false;
    auto nextTick = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    for (;;) {
        auto now = std::chrono::steady_clock::now();
        if (now >= nextTick) {
            if (progress.OnStatusTick(downloading))
                Status(progress.statusLine());
            nextTick += std::chrono::seconds(1);
            continue;
        }
        ProgressEventQueue::Event event;
        if (!events.Pop(event, std::chrono::duration_cast<std::chrono::milliseconds>(nextTick - now) +
                                   std::chrono::milliseconds(1)))
            continue;
        downloading = IsDownloadingState(event.state);
        const ProgressStageRow* row = FindProgressStageRow(event.state);
        if (!row)
            continue;
        if (row->stageText)
            Stage(row->stageText);
        if (row->bar != StageBar::Keep)
            progress.SetProgressRatio(row->bar == StageBar::Full ? 1 : 0);
        switch (row->action) {
            case StageAction::StartOver:
                progress.Reset();
                break;
            case StageAction::CheckDiskSpace: {
                auto* info = dynamic_cast<RequestDownloadTotalSizeNoticeInfo*>(event.info.get());
                if (!info)
                    break;
                DiskSpaceVerdict verdict = CheckDiskSpace(options_.root, static_cast<std::uint64_t>(info->totalBytes));
                if (!verdict.measured) {
                    Stage(kDiskSizeUnreadableText);
                    return kUpdateNoDiskSpace;
                }
                if (!verdict.enough) {
                    Stage(FormatDiskShortfallText(verdict.drive, verdict.shortfall));
                    return kUpdateNoDiskSpace;
                }
                manager.ContinueAfterDiskCheck();
                break;
            }
            case StageAction::FollowDownload:
                if (auto* info = dynamic_cast<ResourceManagerUpdateProgressInfo*>(event.info.get()))
                    progress.OnProgress(info->downloaded, info->totalBytes);
                break;
            case StageAction::AskRetry:
                // Nobody to ask: the failure is the exit status.
                return event.state == CdnCheckFailed ? kUpdateConfigFailed : kUpdateDownloadFailed;
            case StageAction::RestartLauncher:
                Stage(kLauncherUpdatedNoticeText);
                return kUpdateLauncherFetched;
            case StageAction::StartGame:
                if (const auto line = StatusLineForState(event.state, progress.totalBytes()); line && !line->empty())
                    Status(*line);
                if (options_.checkFiles) {
                    CResourceManager::RepairCounts counts = manager.GetRepairCounts();
                    Stage(RepairSummaryText(counts.checked, counts.repaired));
                }
                return kUpdateCurrent;
            case StageAction::BeginFileCheck:
                checkStart_ = std::chrono::steady_clock::now();
                lastCheckStatus_ = checkStart_ - std::chrono::seconds(1);
                break;
            case StageAction::FollowFileCheck:
            case StageAction::EndFileCheck:
                if (auto* info = dynamic_cast<FileCheckProgressInfo*>(event.info.get())) {
                    bool end = row->action == StageAction::EndFileCheck;
                    FileCheckStatus(*info, end);
                    if (end)
                        Stage(FileCheckSummaryText(info->fileCount, info->damaged));
                }
                break;
            case StageAction::None:
            case StageAction::NoticeAnswer:
            case StageAction::NoticeAttempt:
                break;
        }
    }
}

int HeadlessUpdate::Run() {
    std::string address = options_.configUrl;
    if (address.empty() && !AskForAddress(address))
        return kUpdateNoticeFailed;
    int status = FollowUpdateCheck(address);
    if (statusShown_ && terminal_)
        std::fputs("\n", out_);
    return status;
}
