#include "HeadlessUpdate.h"

#include "notice/DeviceId.h"
#include "notice/TKNoticeRequest.h"
#include "notice/UpdateServers.h"
#include "resources/CResourceManager.h"
#include "resources/ProgressEventQueue.h"
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

void HeadlessUpdate::FileCheckStatus(const FileCheckProgressInfo& info) {
    auto now = std::chrono::steady_clock::now();
    // Redrawn in place about ten times a second on a terminal, one line a second into a file.
    if (!terminal_ && now - lastCheckStatus_ < std::chrono::seconds(1))
        return;
    lastCheckStatus_ = now;
    double seconds = std::chrono::duration<double>(now - checkStart_).count();
    constexpr double kMiB = 1024.0 * 1024.0;
    char line[160];
    std::snprintf(line, sizeof(line), "校验进度:%d/%d个文件 %.1f/%.1f MiB %.1f MiB/s", info.filesChecked,
                  info.fileCount, static_cast<double>(info.bytesHashed) / kMiB,
                  static_cast<double>(info.totalBytes) / kMiB,
                  seconds > 0 ? static_cast<double>(info.bytesHashed) / kMiB / seconds : 0.0);
    Status(line);
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
        downloading = event.state == ResourceDownloadBegin || event.state == LauncherDownloadBegin ||
                      event.state == DownloadProgress;
        if (const char* text = StageTextForState(event.state))
            Stage(text);
        switch (event.state) {
            case LocalCheckBegin:
                progress.Reset();
                break;
            case DownloadSizeNotice: {
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
            case FileCheckBegin:
                Stage(kFileCheckText);
                checkStart_ = std::chrono::steady_clock::now();
                lastCheckStatus_ = checkStart_ - std::chrono::seconds(1);
                break;
            case FileCheckProgress:
                if (auto* info = dynamic_cast<FileCheckProgressInfo*>(event.info.get()))
                    FileCheckStatus(*info);
                break;
            case FileCheckEnd:
                if (auto* info = dynamic_cast<FileCheckProgressInfo*>(event.info.get())) {
                    lastCheckStatus_ = checkStart_ - std::chrono::seconds(1);
                    FileCheckStatus(*info);
                    Stage(FileCheckSummaryText(info->fileCount, info->damaged));
                }
                break;
            case DownloadProgress:
                if (auto* info = dynamic_cast<ResourceManagerUpdateProgressInfo*>(event.info.get()))
                    progress.OnProgress(info->downloaded, info->totalBytes);
                break;
            case CdnCheckFailed:
                return kUpdateConfigFailed;
            case ResourceDownloadFailed:
            case LauncherDownloadFailed:
                return kUpdateDownloadFailed;
            case LauncherUpdateDone:
                Stage(kLauncherUpdatedNoticeText);
                return kUpdateLauncherFetched;
            case ResourceUpdateDone:
                if (progress.totalBytes() > 0)
                    Status("下载进度:" + progress.sizesText());
                if (options_.checkFiles) {
                    CResourceManager::RepairCounts counts = manager.GetRepairCounts();
                    Stage(RepairSummaryText(counts.checked, counts.repaired));
                }
                return kUpdateCurrent;
            default:
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
