#pragma once

// The launcher's window group with the real edition foreground, for tests of the update
// controller: the world beyond the windows (ending the process, the notice request, the resource
// manager, the disk) is recorded or scripted through the controller's services, and the game root
// is a private folder.

#include "GuiTestHelpers.h"

#include "controller/CTolmMainForegroundDialog.h"
#include "controller/ProgressStateEvent.h"
#include "platform/Process.h"
#include "support/TestFolders.h"
#include "ui/CCustomLabel.h"
#include "ui/CFlashDialog.h"
#include "ui/CSkinButton.h"

#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace guitest {

// The edition window over a private game root; StartGame is counted and, when asked for, runs.
class TestForeground : public CTolmMainForegroundDialog {
public:
    TestForeground(QWidget* parent, std::string root) : CTolmMainForegroundDialog(parent), root_(std::move(root)) {}

    int startGameCalls = 0;
    bool runStartGame = false;

protected:
    std::string GetGameRootFolder() override { return root_; }
    std::string GetLauncherRoot() override { return root_; }
    void StartGame() override {
        ++startGameCalls;
        if (runStartGame)
            CTolmMainForegroundDialog::StartGame();
    }

private:
    std::string root_;
};

struct UpdateCheckCall {
    std::string launcherRoot;
    std::string gameRoot;
    std::string address;
};

class ControllerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        root = work.path() + "root/";
        std::filesystem::create_directories(root);
        host = std::make_unique<CFlashDialog>([this](QWidget* parent) {
            window = new TestForeground(parent, root);
            CMainForegroundDialog::Services& services = window->services();
            services.endProcess = [this](int code) { endings.push_back(code); };
            services.requestNotice = [this](std::unique_ptr<NoticeRequestParams> params) {
                noticeRequests.push_back(*params);
                return noticeStarts;
            };
            services.startUpdateCheck = [this](const std::string& launcherRoot, const std::string& gameRoot,
                                               const std::string& address) {
                updateChecks.push_back({launcherRoot, gameRoot, address});
            };
            services.measureDiskSpace = [this](const std::string& gameRoot, std::uint64_t total) {
                measuredRoots.push_back(gameRoot);
                measuredTotals.push_back(total);
                DiskSpaceVerdict verdict;
                if (!diskReadings.empty()) {
                    verdict = diskReadings.front();
                    diskReadings.pop_front();
                }
                return verdict;
            };
            services.continueAfterDiskCheck = [this] {
                ++continued;
                return dispatcherExists;
            };
            return window;
        });
        host->InitDialog();
        host->show();
        QCoreApplication::processEvents();
        ASSERT_NE(window, nullptr) << "the host's first paint did not create the foreground";
        // Only the requests a test causes are recorded; tests of the game watch start it again.
        window->Timer(CMainForegroundDialog::GameWatchTimer)->stop();
    }

    void TearDown() override { platform::SetCommandLine(0, nullptr); }

    // Posts one report the way the workers do and lets the window handle it.
    void Deliver(int state, std::unique_ptr<ResourceManagerProgressInfoBase> record = nullptr) {
        QCoreApplication::postEvent(window, new ProgressStateEvent(state, std::move(record)));
        QCoreApplication::sendPostedEvents(window, ProgressStateEvent::kType);
    }

    std::string StageText() const { return window->StageLabel()->Text(); }
    std::string StatusText() const { return window->StatusLabel()->Text(); }
    float Ratio() const { return window->Progress().progressRatio(); }

    static DiskSpaceVerdict Reading(bool measured, std::uint64_t freeBytes, std::uint64_t total) {
        DiskSpaceVerdict verdict;
        verdict.measured = measured;
        verdict.freeBytes = freeBytes;
        verdict.enough = measured && total <= freeBytes;
        verdict.shortfall = verdict.enough ? 0 : total - freeBytes;
        verdict.drive = "/data/";
        return verdict;
    }

    testsupport::TempFolder work;
    std::string root;
    std::unique_ptr<CFlashDialog> host;
    TestForeground* window = nullptr;

    std::vector<int> endings;
    std::vector<NoticeRequestParams> noticeRequests;
    bool noticeStarts = true;
    std::vector<UpdateCheckCall> updateChecks;
    std::deque<DiskSpaceVerdict> diskReadings;
    std::vector<std::string> measuredRoots;
    std::vector<std::uint64_t> measuredTotals;
    int continued = 0;
    bool dispatcherExists = true;
};

// What a question showed and how it was answered.
struct SeenBox {
    bool opened = false;
    std::string text;
    std::string first;
    std::string second;
    bool secondVisible = false;
};

// Answers the next box with button 1 (first) or 7 (second), recording what it showed; `inside`
// runs while the box is still open.
inline void AnswerNextBox(SeenBox& seen, int answer, std::function<void()> inside = {}) {
    WhenBoxOpens([&seen, answer, inside](CSkinDialog& frame) {
        CSkinMessageBox& box = MessageBoxOf(frame);
        seen.opened = true;
        seen.text = box.Label()->Text();
        seen.first = box.FirstButton()->text().toStdString();
        seen.second = box.SecondButton()->text().toStdString();
        seen.secondVisible = box.SecondButton()->isVisible();
        if (inside)
            inside();
        (answer == 1 ? box.FirstButton() : box.SecondButton())->click();
    });
}

// A stand-in game that really runs under the game's path below `root` until End() or the end of
// its scope.
class StandInGame {
public:
    explicit StandInGame(const std::string& root) {
        const std::string game = root + "game/qrvo_game";
        std::filesystem::create_directories(root + "game");
        std::filesystem::copy_file("/bin/sleep", game);
        std::string seconds = "30";
        char* argv[] = {const_cast<char*>(game.c_str()), seconds.data(), nullptr};
        if (::posix_spawn(&pid_, game.c_str(), nullptr, nullptr, argv, environ) != 0)
            pid_ = 0;
    }
    ~StandInGame() { End(); }
    StandInGame(const StandInGame&) = delete;
    StandInGame& operator=(const StandInGame&) = delete;

    bool running() const { return pid_ > 0; }
    void End() {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = 0;
    }

private:
    pid_t pid_ = 0;
};

// Waits until `done` holds, checking every few milliseconds while events flow; false after
// `timeoutMs`.
inline bool WaitFor(std::function<bool()> done, int timeoutMs = 5000) {
    return QTest::qWaitFor(done, timeoutMs);
}

// Polls for a file written by another process.
inline bool WaitForFile(const std::string& path, int timeoutMs = 5000) {
    return WaitFor([&path] { return testsupport::PathExists(path) && !testsupport::ReadFileBytes(path).empty(); },
                   timeoutMs);
}

}  // namespace guitest
