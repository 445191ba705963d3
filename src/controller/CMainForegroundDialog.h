#pragma once

// The update controller. CMainForegroundDialog is the launcher's main window and drives the whole
// run from the user-interface thread: wait until the game is not running, ask the update-address
// service where the CDN is, hand the address to the resource manager, follow its progress
// reports, check the disk before a download, and end the process, either by restarting the
// launcher after a launcher update or by starting the game. Every failure ends in a skinned
// question (retry or quit) or a notice followed by the end of the process.
//
// Threads: everything here runs on the user-interface thread. The notice request and the
// resource manager report from their worker threads only through PostNoticeResult and
// PostProgressState, which copy what they need into a ProgressStateEvent and post it.
//
// Re-entrancy: questions are modal boxes with their own event loop, and posted reports keep being
// delivered while one is open. The report handler therefore keeps nothing of its own across a
// question: each report carries its own record, and every step reads the fields afresh.

#include "notice/TKNoticeRequest.h"
#include "resources/ResourceManagerProgressInfo.h"
#include "shell/DiskSpaceCheck.h"
#include "shell/DownloadProgressModel.h"
#include "ui/CDialogBase.h"

#include <QImage>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

class CCustomLabel;
class CCustomProgress;
class ProgressStatePoster;
class QTimer;

class CMainForegroundDialog : public CDialogBase {
    Q_OBJECT

public:
    enum TimerId : int {
        ProgressBarTimer = 50000,      // 50 ms, repeating: the bar follows the progress ratio
        GameWatchTimer = 50001,        // 500 ms, repeating until no game runs
        StartGameTimer = 50002,        // 30 ms, one shot after state 17
        RestartLauncherTimer = 50003,  // 1000 ms, one shot after the state 16 notice
        StatusLineTimer = 50005,       // 1000 ms, repeating: speed, remaining time, sizes, tip
    };

    // What the controller does to the world beyond its windows. The constructor fills in the
    // product's behaviour; tests replace single entries before InitDialog.
    struct Services {
        // Ends the process at once (the product never returns from it).
        std::function<void(int exitCode)> endProcess;
        // The free space of the game root's filesystem against a download's total size.
        std::function<DiskSpaceVerdict(const std::string& gameRoot, std::uint64_t totalBytes)> measureDiskSpace;
        // Starts the update-address request; false when it could not be started.
        std::function<bool(std::unique_ptr<NoticeRequestParams> params)> requestNotice;
        // Hands the address to the resource manager, whose reports then arrive as posted events.
        std::function<void(const std::string& launcherRoot, const std::string& gameRoot, const std::string& address)>
            startUpdateCheck;
        // After a passed disk check: waits for the downloader's workers, then starts the launcher
        // files or the game resources. False, starting nothing, when the downloader has no
        // dispatcher yet.
        std::function<bool()> continueAfterDiskCheck;
        // A confirmed quit: stops a running check of the installed files, saves version.txt and
        // asks the downloader's workers to stop.
        std::function<void()> keepProgressAndStop;
    };

    explicit CMainForegroundDialog(QWidget* parent);
    ~CMainForegroundDialog() override;

    Services& services() { return services_; }

    // A confirmed quit of the group: keeps the run's progress, then ends the process with code 0.
    void OnQuitConfirmed() override;

    // Callbacks for the worker threads; they only allocate a record and post it.
    void PostNoticeResult(const std::string& address, RequestNoticeResult result);
    void PostProgressState(ResourceManagerProgressState state, const ResourceManagerProgressInfoBase* info);

    // The handler of every progress report (one posted ProgressStateEvent each).
    void OnProgressState(int state, const ResourceManagerProgressInfoBase* record);
    // Asks the update-address service again; the start of every run and of every retry.
    void RequestUpdateAddress();
    // The service's answer (state 18).
    void OnNoticeResult(const std::string& address, int result);
    // State 7: makes sure the game root's filesystem has room for `totalBytes`, asking the player
    // to free space while it has not, then lets the resource manager go on. Ends the process when
    // the player gives up or the space cannot be measured.
    void CheckDiskSpaceAndContinue(std::uint64_t totalBytes);
    // Writes the launch log, starts the game with `parameters` and ends the process; a failed
    // start is reported first.
    void OpenGame(const std::string& parameters);
    // Starts the entrance program (ENTRANCE, else the one installed with the launcher, see
    // EntranceProgram.h) with the reboot key and ends the process; when none can be started, that
    // is reported first.
    void RestartLauncher();

    // For the edition window and tests: what the window shows and where the run stands.
    const DownloadProgressModel& Progress() const { return progress_; }
    bool IsDownloading() const { return isDownloading_; }
    CCustomProgress* ProgressBar() const { return progressBar_; }
    CCustomLabel* StatusLabel() const { return statusLabel_; }
    CCustomLabel* StageLabel() const { return stageLabel_; }
    QTimer* Timer(TimerId id) const;

    void SetBackgroundImage(const QImage& image) override;
    // The artwork the window paints, in its own pixels.
    const QImage& WindowImage() const { return windowImage_; }
    // The progress row (bar, status line, stage text) in screen coordinates: a question leaves it
    // in sight.
    QRect MessageKeepClear() const override;

protected:
    void OnInitDialog() override;

    // Virtual operations of the controller, in the order the edition may override them.
    // Called at the end of every paint. Does nothing here.
    virtual void OnAfterPaint();
    // Every tick of the window's timers.
    virtual void OnTimer(int timerId);
    // Places the progress bar and the stage label.
    virtual void LayoutControls();
    // Loads the window's own artwork (PNG 137).
    virtual void LoadWindowImage();
    // Starts the 500 ms game watch.
    virtual void StartGameWatch();
    // Gives the stage and status labels the room their texts need, after every text change.
    // Does nothing here.
    virtual void FitLineLabels();
    // Starts the game once the resources are current. Does nothing here.
    virtual void StartGame();
    // The game root, looked up once per run: the lookup probes the per-user folder with a file and
    // may write the root record, which the game watch must not do twice a second.
    virtual std::string GetLauncherRoot();
    virtual std::string GetGameRootFolder();

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    // Stage label := text, repainted at once.
    void SetStageText(const std::string& text);
    // Status line := text (empty clears it), repainted at once.
    void SetStatusText(const std::string& text);
    void EndProcess();

private:
    // Stage label := text, bar full, then "重试" (a new run from the notice request) or "退出".
    void AskRetryOrQuit(const std::string& text);
    // States 20 and 21 of a repair: the bar, the status line and, at the `end`, the summary.
    void OnFileCheckProgress(const FileCheckProgressInfo& info, bool end);
    // A notice with one button; the process ends once it is acknowledged.
    void NotifyAndEnd(const std::string& text);
    void StartTimer(TimerId id);
    void StopTimer(TimerId id);
    void OnGameWatchTick();
    void OnProgressBarTick();
    void OnStatusLineTick();

    Services services_;
    std::shared_ptr<ProgressStatePoster> poster_;
    TKNoticeRequest noticeRequest_;
    const bool repair_;  // started with --repair: every check hashes the installed files first
    FileCheckProgressInfo fileCheck_{0, 0, 0, 0, 0};  // the latest report of the check
    std::chrono::steady_clock::time_point fileCheckStart_;
    DownloadProgressModel progress_;
    std::string gameRoot_;  // empty until first looked up
    bool firstGameCheck_ = true;
    bool isDownloading_ = false;
    QImage windowImage_;
    std::map<int, QTimer*> timers_;
    CCustomProgress* progressBar_;
    CCustomLabel* statusLabel_;
    CCustomLabel* stageLabel_;
};
