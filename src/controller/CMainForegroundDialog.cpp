#include "controller/CMainForegroundDialog.h"

#include "base/FileUtilities.h"
#include "base/Trace.h"
#include "controller/ProgressStateEvent.h"
#include "controller/ProgressStatePoster.h"
#include "download/DownloaderTaskDispatcher.h"
#include "notice/DeviceId.h"
#include "notice/UpdateServers.h"
#include "platform/CodePage.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "res/ArtworkCatalog.h"
#include "resources/CCDNResourceDownloader.h"
#include "resources/CResourceManager.h"
#include "resources/ProgressStageTable.h"
#include "shell/CommandLine.h"
#include "shell/EntranceProgram.h"
#include "shell/GameProcessContract.h"
#include "shell/InstallLocations.h"
#include "shell/LaunchLog.h"
#include "shell/LauncherVersion.h"
#include "shell/ProcessControl.h"
#include "shell/StageTexts.h"
#include "ui/CCustomLabel.h"
#include "ui/CCustomProgress.h"
#include "ui/PngResources.h"
#include "ui/UiScale.h"

#include <QPainter>
#include <QResizeEvent>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

struct TimerSetting {
    CMainForegroundDialog::TimerId id;
    const char* name;
    int periodMs;
    bool singleShot;
};

constexpr TimerSetting kTimerSettings[] = {
    {CMainForegroundDialog::ProgressBarTimer, "ProgressBarTimer", 50, false},
    {CMainForegroundDialog::GameWatchTimer, "GameWatchTimer", 500, false},
    {CMainForegroundDialog::StartGameTimer, "StartGameTimer", 30, true},
    {CMainForegroundDialog::RestartLauncherTimer, "RestartLauncherTimer", 1000, true},
    {CMainForegroundDialog::StatusLineTimer, "StatusLineTimer", 1000, false},
};

constexpr std::uint32_t kInitialLabelColor = 0xFFD7F0FF;

void PostNotice(ProgressStatePoster& poster, const std::string& address, int result) {
    poster.Post(NoticeResultArrived, std::make_unique<LauncherNoticeUpgradeInfo>(address, result));
}

// The reporter keeps and frees its own record; the window always receives a copy.
void PostCopy(ProgressStatePoster& poster, int state, const ResourceManagerProgressInfoBase* info) {
    poster.Post(state, info ? info->Clone() : nullptr);
}

}  // namespace

CMainForegroundDialog::CMainForegroundDialog(QWidget* parent)
    : CDialogBase(parent),
      poster_(std::make_shared<ProgressStatePoster>(this)),
      noticeRequest_(NoticeServiceUrl()),
      repair_(IsRepairRequested()),
      progressBar_(new CCustomProgress(this)),
      statusLabel_(new CCustomLabel(this)),
      stageLabel_(new CCustomLabel(this)) {
    // Where the artwork is transparent (the frame's bevelled corners), what lies beneath shows,
    // never the dialog's own grey.
    setAttribute(Qt::WA_TranslucentBackground);
    services_.endProcess = [](int exitCode) { platform::TerminateCurrentProcess(exitCode); };
    services_.measureDiskSpace = CheckDiskSpace;
    services_.requestNotice = [this](std::unique_ptr<NoticeRequestParams> params) {
        return noticeRequest_.Start(std::move(params));
    };
    services_.startUpdateCheck = [poster = poster_, repair = repair_](const std::string& launcherRoot,
                                                                      const std::string& gameRoot,
                                                                      const std::string& address) {
        CResourceManager& manager = CResourceManager::GetInstance();
        manager.SetCheckInstalledFiles(repair);
        manager.SetProgressCallback(
            [poster](ResourceManagerProgressState state, const ResourceManagerProgressInfoBase* info) {
                PostCopy(*poster, state, info);
            });
        manager.Init(launcherRoot, gameRoot, address);
    };
    services_.continueAfterDiskCheck = [] {
        if (!CCDNResourceDownloader::GetInstance().GetDispatcher())
            return false;
        CResourceManager::GetInstance().ContinueAfterDiskCheck();
        return true;
    };
    services_.keepProgressAndStop = [] {
        CResourceManager::GetInstance().StopFileCheck();
        CResourceManager::GetInstance().SaveLocalResourceInfo();
        if (DownloaderTaskDispatcher* dispatcher = CCDNResourceDownloader::GetInstance().GetDispatcher())
            dispatcher->Stop();
    };

    for (const TimerSetting& setting : kTimerSettings) {
        auto* timer = new QTimer(this);
        timer->setObjectName(QString::fromLatin1(setting.name));
        timer->setInterval(setting.periodMs);
        timer->setSingleShot(setting.singleShot);
        const int id = setting.id;
        connect(timer, &QTimer::timeout, this, [this, id] { OnTimer(id); });
        timers_[id] = timer;
    }
}

CMainForegroundDialog::~CMainForegroundDialog() {
    // Reports still on their way are dropped; the notice request waits for its worker when it is
    // destroyed, and its callback can no longer reach this window.
    poster_->Detach();
}

QTimer* CMainForegroundDialog::Timer(TimerId id) const {
    return timers_.at(id);
}

void CMainForegroundDialog::StartTimer(TimerId id) {
    timers_.at(id)->start();
}

void CMainForegroundDialog::StopTimer(TimerId id) {
    timers_.at(id)->stop();
}

void CMainForegroundDialog::PostNoticeResult(const std::string& address, RequestNoticeResult result) {
    PostNotice(*poster_, address, result);
}

void CMainForegroundDialog::PostProgressState(ResourceManagerProgressState state,
                                              const ResourceManagerProgressInfoBase* info) {
    PostCopy(*poster_, state, info);
}

void CMainForegroundDialog::OnQuitConfirmed() {
    services_.keepProgressAndStop();
    services_.endProcess(0);
}

void CMainForegroundDialog::OnInitDialog() {
    progress_.SetProgressRatio(0);
    progressBar_->LoadFillImage();
    progressBar_->Progress = 0;
    progressBar_->update();
    for (CCustomLabel* label : {stageLabel_, statusLabel_}) {
        label->TextColor = kInitialLabelColor;
        label->SetTextAndRedraw(kInitialisingText);
    }
    isDownloading_ = false;
    StartTimer(ProgressBarTimer);
    StartTimer(StatusLineTimer);
    LoadWindowImage();
    LayoutControls();
    StartGameWatch();
}

void CMainForegroundDialog::OnAfterPaint() {}

void CMainForegroundDialog::LayoutControls() {
    progressBar_->setGeometry(ScaledRect(11, 358, 700, 376));
    stageLabel_->setGeometry(ScaledRect(9, 369, 705, 382));
}

void CMainForegroundDialog::LoadWindowImage() {
    windowImage_ = LoadPngResource(artwork::kEditionBackground);
    update();
}

void CMainForegroundDialog::SetBackgroundImage(const QImage& image) {
    windowImage_ = image;
    update();
}

void CMainForegroundDialog::StartGameWatch() {
    StartTimer(GameWatchTimer);
}

void CMainForegroundDialog::StartGame() {}

std::string CMainForegroundDialog::GetLauncherRoot() {
    return GetGameRootFolder();
}

std::string CMainForegroundDialog::GetGameRootFolder() {
    if (gameRoot_.empty())
        gameRoot_ = GetGameRoot();
    return gameRoot_;
}

void CMainForegroundDialog::SetStageText(const std::string& text) {
    stageLabel_->SetTextAndRedraw(text);
    FitLineLabels();
}

void CMainForegroundDialog::SetStatusText(const std::string& text) {
    statusLabel_->SetTextAndRedraw(text);
    FitLineLabels();
}

void CMainForegroundDialog::FitLineLabels() {}

QRect CMainForegroundDialog::MessageKeepClear() const {
    QRect row;
    for (const QWidget* control : {static_cast<const QWidget*>(progressBar_), static_cast<const QWidget*>(statusLabel_),
                                   static_cast<const QWidget*>(stageLabel_)})
        row |= QRect(control->mapToGlobal(QPoint(0, 0)), control->size());
    return row;
}

void CMainForegroundDialog::EndProcess() {
    services_.endProcess(0);
}

void CMainForegroundDialog::OnTimer(int timerId) {
    switch (timerId) {
        case ProgressBarTimer:
            OnProgressBarTick();
            break;
        case GameWatchTimer:
            OnGameWatchTick();
            break;
        case StartGameTimer:
            StopTimer(StartGameTimer);
            StartGame();
            break;
        case RestartLauncherTimer:
            StopTimer(RestartLauncherTimer);
            RestartLauncher();
            break;
        case StatusLineTimer:
            OnStatusLineTick();
            break;
        default:
            break;
    }
}

void CMainForegroundDialog::OnGameWatchTick() {
    if (IsProcessRunning(GameExecutablePath(GetGameRootFolder()))) {
        SetStageText(kWaitingForGameText);
        SetStatusText(std::string());
        return;
    }
    StopTimer(GameWatchTimer);
    if (!firstGameCheck_)
        return;
    firstGameCheck_ = false;
    noticeRequest_.SetNoticeCallback([poster = poster_](const std::string& address, RequestNoticeResult result) {
        PostNotice(*poster, address, result);
    });
    noticeRequest_.SetAttemptCallback([poster = poster_](int attempt, int maxAttempts) {
        poster->Post(NoticeAttemptBegin, std::make_unique<NoticeAttemptInfo>(attempt, maxAttempts));
    });
    RequestUpdateAddress();
}

void CMainForegroundDialog::OnProgressBarTick() {
    progressBar_->Progress = progress_.barProgress();
    progressBar_->update();
}

void CMainForegroundDialog::OnStatusLineTick() {
    if (!progress_.OnStatusTick(isDownloading_))
        return;
    SetStageText(progress_.tipText());
    SetStatusText(progress_.statusLine());
}

void CMainForegroundDialog::RequestUpdateAddress() {
    auto params = std::make_unique<NoticeRequestParams>();
    GetDeviceId(params->deviceId);
    params->language = kNoticeLanguage;
    params->packageName = kPackageIdentifier;
    params->version = RunningProgramVersionText();
    progress_.SetProgressRatio(0);
    SetStageText(kRequestingAddressText);
    SetStatusText(std::string());
    // A request that cannot even start would never answer: report it as a failed request, so the
    // player gets the retry question instead of a window that waits forever.
    if (!services_.requestNotice(std::move(params)))
        PostNotice(*poster_, std::string(), NoticeResultRequestError);
}

void CMainForegroundDialog::OnNoticeResult(const std::string& address, int result) {
    progress_.SetProgressRatio(0);
    if (result != NoticeResultSuccess) {
        AskRetryOrQuit(NoticeFailureText(result));
        return;
    }
    progress_.Reset();
    isDownloading_ = false;
    services_.startUpdateCheck(GetLauncherRoot(), GetGameRootFolder(), address);
}

bool CMainForegroundDialog::event(QEvent* event) {
    if (event->type() == ProgressStateEvent::kType) {
        // The record belongs to the event, which Qt deletes once this returns.
        const auto* report = static_cast<const ProgressStateEvent*>(event);
        OnProgressState(report->State(), report->Record());
        return true;
    }
    return CDialogBase::event(event);
}

void CMainForegroundDialog::OnProgressState(int state, const ResourceManagerProgressInfoBase* record) {
    isDownloading_ = IsDownloadingState(state);
    const ProgressStageRow* row = FindProgressStageRow(state);
    if (!row) {
        TraceLine("忽略未知的进度状态\t" + std::to_string(state));
        return;
    }
    if (row->stageText)
        SetStageText(row->stageText);
    if (const auto line = StatusLineForState(state, progress_.totalBytes()))
        SetStatusText(*line);
    if (row->bar != StageBar::Keep)
        progress_.SetProgressRatio(row->bar == StageBar::Full ? 1 : 0);
    switch (row->action) {
        case StageAction::None:
            break;
        case StageAction::StartOver:
            // A new check: the bar and its stage key start over.
            progress_.Reset();
            break;
        case StageAction::CheckDiskSpace:
            if (const auto* info = dynamic_cast<const RequestDownloadTotalSizeNoticeInfo*>(record))
                CheckDiskSpaceAndContinue(static_cast<std::uint64_t>(info->totalBytes));
            break;
        case StageAction::FollowDownload:
            if (const auto* info = dynamic_cast<const ResourceManagerUpdateProgressInfo*>(record))
                progress_.OnProgress(info->downloaded, info->totalBytes);
            break;
        case StageAction::AskRetry:
            AskRetryOrQuit(row->stageText);
            break;
        case StageAction::RestartLauncher:
            ShowMessage(nullptr, kLauncherUpdatedNoticeText, MessageBoxStyle::OneButton, std::string(), std::string(),
                        ButtonEmphasis::FirstGold);
            // The second counts from the player's acknowledgement, not from the report.
            StartTimer(RestartLauncherTimer);
            break;
        case StageAction::StartGame:
            // A player who asked for a repair learns what it did before the game starts.
            if (repair_ && fileCheck_.fileCount > 0)
                ShowMessage(nullptr, RepairSummaryText(fileCheck_.fileCount, fileCheck_.damaged),
                            MessageBoxStyle::OneButton, std::string(), std::string(), ButtonEmphasis::FirstGold);
            // The game starts from the timer, once this report's handling is over.
            StartTimer(StartGameTimer);
            break;
        case StageAction::BeginFileCheck:
            fileCheckStart_ = std::chrono::steady_clock::now();
            break;
        case StageAction::FollowFileCheck:
        case StageAction::EndFileCheck:
            if (const auto* info = dynamic_cast<const FileCheckProgressInfo*>(record))
                OnFileCheckProgress(*info, row->action == StageAction::EndFileCheck);
            break;
        case StageAction::NoticeAnswer:
            if (const auto* info = dynamic_cast<const LauncherNoticeUpgradeInfo*>(record))
                OnNoticeResult(info->text, info->result);
            break;
        case StageAction::NoticeAttempt:
            if (const auto* info = dynamic_cast<const NoticeAttemptInfo*>(record))
                SetStageText(RequestingAddressText(info->attempt, info->maxAttempts));
            break;
    }
}

void CMainForegroundDialog::OnFileCheckProgress(const FileCheckProgressInfo& info, bool end) {
    fileCheck_ = info;
    // The bar follows the bytes hashed; the status line says how far the check is.
    if (info.totalBytes > 0)
        progress_.SetProgressRatio(
            static_cast<float>(static_cast<double>(info.bytesHashed) / static_cast<double>(info.totalBytes)));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - fileCheckStart_).count();
    SetStatusText(FileCheckStatusText(info.filesChecked, info.fileCount, info.bytesHashed, info.totalBytes, seconds));
    if (end)
        SetStageText(FileCheckSummaryText(info.fileCount, info.damaged));
}

void CMainForegroundDialog::AskRetryOrQuit(const std::string& text) {
    SetStageText(text);
    const MessageBoxAnswer answer = ShowMessage(nullptr, text, MessageBoxStyle::TwoButtons, kRetryButtonText,
                                                kQuitButtonText, ButtonEmphasis::FirstGold);
    if (answer == MessageBoxAnswer::First)
        RequestUpdateAddress();
    else
        EndProcess();
}

void CMainForegroundDialog::NotifyAndEnd(const std::string& text) {
    ShowMessage(nullptr, text, MessageBoxStyle::OneButton, std::string(), std::string(), ButtonEmphasis::FirstGold);
    EndProcess();
}

void CMainForegroundDialog::CheckDiskSpaceAndContinue(std::uint64_t totalBytes) {
    const std::string root = GetGameRootFolder();
    // Without a separator the root names no filesystem to measure; going on would leave the run
    // waiting with no way forward, so it ends the way an unreadable free space does.
    if (root.find(platform::kPathSeparator) == std::string::npos) {
        NotifyAndEnd(kDiskSizeUnreadableText);
        return;
    }
    for (;;) {
        const DiskSpaceVerdict verdict = services_.measureDiskSpace(root, totalBytes);
        if (!verdict.measured) {
            NotifyAndEnd(kDiskSizeUnreadableText);
            return;
        }
        if (verdict.enough)
            break;
        // "确定" measures again, so the player can free space while the question is open.
        const MessageBoxAnswer answer =
            ShowMessage(nullptr, FormatDiskShortfallText(verdict.drive, verdict.shortfall), MessageBoxStyle::TwoButtons,
                        std::string(), std::string(), ButtonEmphasis::FirstGold);
        if (answer != MessageBoxAnswer::First) {
            EndProcess();
            return;
        }
    }
    // The size comes from the CDN config download, so the downloader has its dispatcher by now;
    // should it not, nothing would ever start: say so and end instead of waiting.
    if (!services_.continueAfterDiskCheck())
        NotifyAndEnd(StageTextForState(ResourceDownloadFailed));
}

void CMainForegroundDialog::OpenGame(const std::string& parameters) {
    AppendLaunchLog(kLaunchLogMarker);
    AppendLaunchLog(kOpenGameLogText);
    AppendLaunchLog(platform::TextToAnsi(parameters));
    const std::string root = GetGameRootFolder();
    int errorCode = 0;
    if (StartProcess(GameExecutablePath(root), GameFolder(root), parameters, errorCode)) {
        SetConfirmCloseChain(this, false);
        EndProcess();
        return;
    }
    char text[96];
    std::snprintf(text, sizeof(text), kStartFailedFormat, errorCode);
    NotifyAndEnd(text);
}

void CMainForegroundDialog::RestartLauncher() {
    // The entrance program may have to start this launcher again should the restarted one fail.
    const std::vector<std::string> environment = {std::string(kCallingLauncherVariable) + "=" + GetModulePath()};
    for (const std::string& program : EntranceProgramCandidates()) {
        std::string folder;
        int errorCode = 0;
        if (ParentFolder(program, folder) && StartProcess(program, folder, kRebootParameter, errorCode, environment)) {
            SetStageText(kRestartSucceededText);
            SetConfirmCloseChain(this, false);
            EndProcess();
            return;
        }
    }
    SetStageText(kRestartFailedText);
    NotifyAndEnd(kRestartFailedText);
}

void CMainForegroundDialog::paintEvent(QPaintEvent*) {
    if (!windowImage_.isNull()) {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(0, 0, Scaled(windowImage_.width()), Scaled(windowImage_.height())), windowImage_);
    }
    OnAfterPaint();
}

void CMainForegroundDialog::resizeEvent(QResizeEvent* event) {
    CDialogBase::resizeEvent(event);
    if (LinkedDialog)
        LinkedDialog->MoveGroupBy(0, 0);
}
