#include "ControllerFixture.h"

#include "base/FileUtilities.h"
#include "controller/ProgressStatePoster.h"
#include "shell/InstallLocations.h"
#include "shell/LaunchLog.h"
#include "support/TestHttpServer.h"
#include "ui/CCustomProgress.h"

#include <QImage>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <thread>

namespace {

using guitest::AnswerNextBox;
using guitest::ControllerFixture;
using guitest::SeenBox;
using guitest::StandInGame;
using guitest::WaitFor;
using guitest::WaitForFile;

// A record that counts its own destruction.
struct TrackedRecord : ResourceManagerProgressInfoBase {
    explicit TrackedRecord(int* freed) : freed_(freed) {}
    ~TrackedRecord() override { ++*freed_; }
    std::unique_ptr<ResourceManagerProgressInfoBase> Clone() const override {
        return std::make_unique<TrackedRecord>(freed_);
    }
    int* freed_;
};

struct TrackedProgress : ResourceManagerUpdateProgressInfo {
    TrackedProgress(std::int64_t done, std::int64_t total, int* freed)
        : ResourceManagerUpdateProgressInfo(done, total), freed_(freed) {}
    ~TrackedProgress() override { ++*freed_; }
    int* freed_;
};

void WriteExecutable(const std::string& path, const std::string& content) {
    testsupport::WriteFileBytes(path, content);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                           std::filesystem::perms::group_exec);
}

// ---- the report table ------------------------------------------------------------------------

struct ReportCase {
    int state;
    bool progressRecord;     // a download-progress record (half of the bytes) instead of a plain one
    const char* stageText;   // null: the stage label keeps the text of the download stage
    const char* statusLine;  // null: the status line keeps the download's line
    float ratio;
    bool downloading;
};

void PrintTo(const ReportCase& c, std::ostream* out) {
    *out << "state " << c.state;
}

class ReportTableTest : public ControllerFixture, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(ReportTableTest, EachReportSetsItsStageAndStatusLineAndFreesItsRecord) {
    const ReportCase c = GetParam();
    // Start from a running download, so "changes nothing" is visible.
    Deliver(ResourceDownloadBegin);
    Deliver(DownloadProgress, std::make_unique<ResourceManagerUpdateProgressInfo>(10, 100));
    ASSERT_TRUE(window->IsDownloading());
    ASSERT_FLOAT_EQ(Ratio(), 0.2f);
    const std::string downloadLine = "速度:1 KB/秒 预计:1秒 下载进度:1 KB/1 KB";
    window->StatusLabel()->SetTextAndRedraw(downloadLine);

    int freed = 0;
    std::unique_ptr<ResourceManagerProgressInfoBase> record;
    if (c.progressRecord)
        record = std::make_unique<TrackedProgress>(50, 100, &freed);
    else
        record = std::make_unique<TrackedRecord>(&freed);
    Deliver(c.state, std::move(record));

    EXPECT_EQ(freed, 1) << "the window frees every record it receives";
    EXPECT_EQ(StageText(), c.stageText ? c.stageText : "美女指挥官正在为您调配游戏资源...");
    EXPECT_EQ(StatusText(), c.statusLine ? c.statusLine : downloadLine);
    EXPECT_FLOAT_EQ(Ratio(), c.ratio);
    EXPECT_EQ(window->IsDownloading(), c.downloading);
    EXPECT_TRUE(endings.empty());
    EXPECT_TRUE(noticeRequests.empty());
    EXPECT_EQ(continued, 0);
}

constexpr const char* kConnecting = "正在连接下载服务器...";

INSTANTIATE_TEST_SUITE_P(
    States,
    ReportTableTest,
    ::testing::Values(ReportCase{1, false, "开始校验本地资源...", "", 0.0f, false},
                      ReportCase{2, false, "校验本地资源完成...", "", 1.0f, false},
                      ReportCase{3, false, nullptr, "", 0.2f, false},
                      ReportCase{4, false, nullptr, "", 0.2f, false},
                      ReportCase{5, false, "开始比对服务器资源...", "", 0.0f, false},
                      ReportCase{6, false, "比对服务器资源完成...", "", 1.0f, false},
                      // A size notice without its size record, a notice answer without its record: nothing
                      // happens but the end of the download's line.
                      ReportCase{7, false, nullptr, "", 0.2f, false},
                      ReportCase{18, false, nullptr, "", 0.2f, false},
                      ReportCase{9, false, "美女指挥官正在为您调配游戏资源...", kConnecting, 0.0f, true},
                      ReportCase{11, false, "加载Launcher资源中,请耐心等待...", kConnecting, 0.0f, true},
                      ReportCase{13, false, nullptr, nullptr, 0.2f, false},
                      ReportCase{14, false, nullptr, nullptr, 0.2f, false},
                      // The repair's check; 20 and 21 without their counts move nothing but the end
                      // fills the bar, and the check's own line stays.
                      ReportCase{19, false, "正在校验游戏文件...", "", 0.0f, false},
                      ReportCase{20, false, nullptr, nullptr, 0.2f, false},
                      ReportCase{21, false, nullptr, nullptr, 1.0f, false},
                      // An attempt of the address request without its record changes nothing.
                      ReportCase{22, false, nullptr, nullptr, 0.2f, false},
                      ReportCase{23, false, nullptr, nullptr, 0.2f, false},
                      ReportCase{1000, false, nullptr, nullptr, 0.2f, false},
                      // Half of the bytes end the tips' first sweep; the line is the status tick's.
                      ReportCase{15, true, nullptr, nullptr, 1.0f, true}),
    [](const ::testing::TestParamInfo<ReportCase>& row) { return "State" + std::to_string(row.param.state); });

// The reports that open a question or end the run: the line behind the question, or the last
// one the player reads, says what is happening then, never what a finished step said.
TEST_F(ControllerFixture, TheStatusLineBehindQuestionsAndAtTheEndIsCurrent) {
    const auto download = [this] {
        Deliver(LocalCheckBegin);
        Deliver(ResourceDownloadBegin);
        Deliver(DownloadProgress, std::make_unique<ResourceManagerUpdateProgressInfo>(7'350'000, 7'424'000));
        window->StatusLabel()->SetTextAndRedraw("速度:1.00MB/秒 预计:1秒 下载进度:7.01MB/7.08MB");
    };
    const struct {
        int state;
        bool downloaded;
        bool asks;  // a question or notice opens
        const char* line;
    } cases[] = {
        {ResourceDownloadFailed, true, true, ""},
        {LauncherDownloadFailed, true, true, ""},
        {CdnCheckFailed, false, true, ""},
        {LauncherUpdateDone, true, true, "下载进度:7.08MB/7.08MB"},
        {ResourceUpdateDone, true, false, "下载进度:7.08MB/7.08MB"},
        // Nothing needed fetching: no line at all, not the start-up text.
        {ResourceUpdateDone, false, false, ""},
    };
    for (const auto& c : cases) {
        if (c.downloaded)
            download();
        else
            Deliver(LocalCheckBegin);
        std::string behind = "-";
        SeenBox seen;
        if (c.asks)
            AnswerNextBox(seen, 1, [&] { behind = StatusText(); });
        Deliver(c.state);
        window->Timer(CMainForegroundDialog::StartGameTimer)->stop();
        window->Timer(CMainForegroundDialog::RestartLauncherTimer)->stop();
        EXPECT_EQ(seen.opened, c.asks) << "state " << c.state;
        if (!c.asks)
            behind = StatusText();
        EXPECT_EQ(behind, c.line) << "state " << c.state;
    }
}

TEST_F(ControllerFixture, ReportsWithoutRecordsChangeOnlyWhatNeedsNoRecord) {
    Deliver(DownloadProgress, std::make_unique<ResourceManagerUpdateProgressInfo>(25, 100));
    Deliver(DownloadProgress);
    EXPECT_FLOAT_EQ(Ratio(), 0.5f);
    EXPECT_TRUE(window->IsDownloading());
    Deliver(DownloadSizeNotice);
    Deliver(NoticeResultArrived);
    EXPECT_TRUE(measuredTotals.empty());
    EXPECT_TRUE(updateChecks.empty());
    EXPECT_FALSE(window->IsDownloading());
}

TEST_F(ControllerFixture, WorkerCallbacksPostCopiesAndKeepTheirOwnRecords) {
    int freed = 0;
    {
        TrackedRecord own(&freed);
        std::thread worker([&] { window->PostProgressState(LauncherManifestBegin, &own); });
        worker.join();
        EXPECT_EQ(freed, 0);
        QCoreApplication::sendPostedEvents(window, ProgressStateEvent::kType);
        EXPECT_EQ(freed, 1) << "the copy was delivered and freed";
    }
    EXPECT_EQ(freed, 2) << "the reporter's own record stayed the reporter's";

    std::thread notice([&] { window->PostNoticeResult("http://127.0.0.1:9/cdn/config/v1.txt", NoticeResultSuccess); });
    notice.join();
    QCoreApplication::sendPostedEvents(window, ProgressStateEvent::kType);
    ASSERT_EQ(updateChecks.size(), 1u);
    EXPECT_EQ(updateChecks[0].address, "http://127.0.0.1:9/cdn/config/v1.txt");
}

TEST(ProgressStatePoster, ReportsAfterTheWindowIsGoneAreDroppedWithTheirRecords) {
    int freed = 0;
    auto receiver = std::make_unique<QObject>();
    ProgressStatePoster poster(receiver.get());
    poster.Post(LocalCheckBegin, std::make_unique<TrackedRecord>(&freed));
    EXPECT_EQ(freed, 0) << "on its way";
    // What the window's destructor does: detach, then go away with a report still queued.
    poster.Detach();
    receiver.reset();
    EXPECT_EQ(freed, 1) << "the queued report is freed with its receiver";
    poster.Post(LocalCheckBegin, std::make_unique<TrackedRecord>(&freed));
    EXPECT_EQ(freed, 2) << "a late report is dropped at once";
}

// ---- a repair ------------------------------------------------------------------------------------

// The window of a launcher started with --repair.
class RepairFixture : public ControllerFixture {
protected:
    void SetUp() override {
        const char* argv[] = {"/p/Tolmqrvo", "--repair"};
        platform::SetCommandLine(2, const_cast<char**>(argv));
        ControllerFixture::SetUp();
    }
};

TEST_F(RepairFixture, TheCheckShowsItsStageTheBarFollowsTheBytesHashedAndTheEndSaysWhatWasRepaired) {
    constexpr std::int64_t kMiB = 1024 * 1024;
    CCustomProgress* bar = window->ProgressBar();
    Deliver(FileCheckBegin);
    EXPECT_EQ(StageText(), "正在校验游戏文件...");
    EXPECT_FLOAT_EQ(Ratio(), 0.0f);
    const struct {
        std::int64_t hashed;
        int checked;
        float ratio;
        const char* status;
    } steps[] = {
        {1 * kMiB, 1, 0.25f, "校验进度:1/3个文件 1.0/4.0 MiB "},
        {3 * kMiB, 2, 0.75f, "校验进度:2/3个文件 3.0/4.0 MiB "},
    };
    for (const auto& step : steps) {
        Deliver(FileCheckProgress, std::make_unique<FileCheckProgressInfo>(step.hashed, 4 * kMiB, step.checked, 3, 0));
        EXPECT_FLOAT_EQ(Ratio(), step.ratio);
        ASSERT_TRUE(WaitFor([&] { return bar->Progress == step.ratio; }, 2000)) << bar->Progress;
        EXPECT_EQ(StatusText().rfind(step.status, 0), 0u) << StatusText();
        EXPECT_EQ(StageText(), "正在校验游戏文件...");
        EXPECT_FALSE(window->IsDownloading());
    }
    Deliver(FileCheckEnd, std::make_unique<FileCheckProgressInfo>(4 * kMiB, 4 * kMiB, 3, 3, 1));
    EXPECT_EQ(StageText(), "校验完成,共3个文件,1个需要修复");
    EXPECT_FLOAT_EQ(Ratio(), 1.0f);

    // Once the damaged file is back, the player is told what the repair did, then the game starts.
    SeenBox seen;
    AnswerNextBox(seen, 1);
    Deliver(ResourceUpdateDone);
    EXPECT_EQ(seen.text, "修复完成,已校验3个文件,修复1个");
    EXPECT_FALSE(seen.secondVisible);
    ASSERT_TRUE(WaitFor([&] { return window->startGameCalls == 1; }));
}

// ---- notice answers and the retry question -----------------------------------------------------

TEST_F(ControllerFixture, ASuccessfulAnswerResetsTheCountersAndStartsTheCheck) {
    Deliver(ResourceDownloadBegin);
    Deliver(DownloadProgress, std::make_unique<ResourceManagerUpdateProgressInfo>(80, 100));
    ASSERT_EQ(window->Progress().stageKey(), 1);
    Deliver(NoticeResultArrived, std::make_unique<LauncherNoticeUpgradeInfo>("http://127.0.0.1:1/c/v1.txt", 1));
    EXPECT_FLOAT_EQ(Ratio(), 0.0f);
    EXPECT_EQ(window->Progress().stageKey(), 0);
    EXPECT_EQ(window->Progress().doneBytes(), 0);
    EXPECT_EQ(window->Progress().totalBytes(), 0);
    EXPECT_EQ(window->Progress().averageSpeed(), 0u);
    EXPECT_FALSE(window->IsDownloading());
    ASSERT_EQ(updateChecks.size(), 1u);
    EXPECT_EQ(updateChecks[0].launcherRoot, root);
    EXPECT_EQ(updateChecks[0].gameRoot, root);
    EXPECT_EQ(updateChecks[0].address, "http://127.0.0.1:1/c/v1.txt");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

struct FailureCase {
    int state;
    int noticeResult;  // for state 18
    const char* text;
    float ratioWhileAsking;
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << "state " << c.state << ", notice result " << c.noticeResult;
}

class FailureQuestionTest : public ControllerFixture, public ::testing::WithParamInterface<FailureCase> {
protected:
    void Fail() {
        const FailureCase c = GetParam();
        if (c.state == NoticeResultArrived)
            Deliver(c.state, std::make_unique<LauncherNoticeUpgradeInfo>(std::string(), c.noticeResult));
        else
            Deliver(c.state);
    }
};

TEST_P(FailureQuestionTest, RetryStartsANewRunFromTheNoticeRequest) {
    const FailureCase c = GetParam();
    SeenBox seen;
    float ratio = -1;
    std::string stage;
    AnswerNextBox(seen, 1, [&] {
        ratio = Ratio();
        stage = StageText();
    });
    Fail();
    ASSERT_TRUE(seen.opened);
    EXPECT_EQ(seen.text, c.text);
    EXPECT_EQ(stage, c.text) << "the stage label shows the failure while the question is open";
    EXPECT_FLOAT_EQ(ratio, c.ratioWhileAsking);
    EXPECT_EQ(seen.first, "重试");
    EXPECT_EQ(seen.second, "退出");
    EXPECT_TRUE(seen.secondVisible);
    // A completely new request, with fresh parameters.
    ASSERT_EQ(noticeRequests.size(), 1u);
    EXPECT_EQ(noticeRequests[0].packageName, "com.pemto.qrvo.pc.tolm");
    EXPECT_EQ(noticeRequests[0].language, "0");
    EXPECT_EQ(noticeRequests[0].version, "1.0.0.1") << "the marker of this build";
    EXPECT_EQ(StageText(), "获取游戏更新地址...");
    EXPECT_FLOAT_EQ(Ratio(), 0.0f);
    EXPECT_TRUE(endings.empty());
}

TEST_P(FailureQuestionTest, QuitEndsTheProcessWithCodeZero) {
    SeenBox seen;
    AnswerNextBox(seen, 7);
    Fail();
    ASSERT_TRUE(seen.opened);
    EXPECT_EQ(endings, std::vector<int>{0});
    EXPECT_TRUE(noticeRequests.empty());
}

INSTANTIATE_TEST_SUITE_P(Failures,
                         FailureQuestionTest,
                         ::testing::Values(FailureCase{8, 0, "比对服务器资源失败!", 1.0f},
                                           FailureCase{10, 0, "加载服务器资源失败!", 1.0f},
                                           FailureCase{12, 0, "加载Launcher资源失败!", 1.0f},
                                           FailureCase{18, 2, "无法完成游戏资源更新，未配置更新地址!", 0.0f},
                                           FailureCase{18, 3, "无法完成游戏资源更新，解析失败!", 0.0f},
                                           FailureCase{18, 4, "无法完成游戏资源更新，请求失败!", 0.0f},
                                           FailureCase{18, 9, "", 0.0f}),
                         [](const ::testing::TestParamInfo<FailureCase>& row) {
                             return "State" + std::to_string(row.param.state) + "Result" +
                                    std::to_string(row.param.noticeResult);
                         });

// The product's end of the process: "退出" on a retry question, with the services as built.
void QuitFromTheRetryQuestion() {
    guitest::TestForeground* window = nullptr;
    CFlashDialog host([&](QWidget* parent) { return window = new guitest::TestForeground(parent, "/nonexistent/"); });
    host.InitDialog();
    host.show();
    QCoreApplication::processEvents();
    window->Timer(CMainForegroundDialog::GameWatchTimer)->stop();
    guitest::WhenBoxOpens([](CSkinDialog& frame) {
        std::fprintf(stderr, "retry question asked\n");
        guitest::MessageBoxOf(frame).SecondButton()->click();
    });
    QCoreApplication::postEvent(window, new ProgressStateEvent(CdnCheckFailed, nullptr));
    QCoreApplication::sendPostedEvents(window, ProgressStateEvent::kType);
    std::_Exit(3);  // not reached when the answer ended the process
}

TEST(UpdateControllerDeathTest, QuitEndsTheProcessWithExitCodeZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(QuitFromTheRetryQuestion(), ::testing::ExitedWithCode(0), "retry question asked");
}

TEST_F(ControllerFixture, ARequestThatCannotStartIsAskedAboutLikeAFailedOne) {
    noticeStarts = false;
    SeenBox seen;
    AnswerNextBox(seen, 7);
    window->RequestUpdateAddress();
    EXPECT_FALSE(seen.opened) << "the failure arrives as a report, not from inside the request";
    QCoreApplication::sendPostedEvents(window, ProgressStateEvent::kType);
    ASSERT_TRUE(seen.opened);
    EXPECT_EQ(seen.text, "无法完成游戏资源更新，请求失败!");
    EXPECT_EQ(endings, std::vector<int>{0});
}

TEST_F(ControllerFixture, ProgressKeepsFlowingWhileAQuestionIsOpen) {
    bool asked = false;
    guitest::WhenBoxOpens([&](CSkinDialog& frame) {
        asked = true;
        // Posted while the question is open: the question's own loop delivers it, and the
        // question is answered only once the bar has moved.
        QCoreApplication::postEvent(
            window,
            new ProgressStateEvent(DownloadProgress, std::make_unique<ResourceManagerUpdateProgressInfo>(1, 4)));
        guitest::WhenReady([&] { return Ratio() == 0.5f; },
                           [&frame] { guitest::MessageBoxOf(frame).SecondButton()->click(); });
    });
    Deliver(ResourceDownloadFailed);
    EXPECT_TRUE(asked);
    EXPECT_FLOAT_EQ(Ratio(), 0.5f);
    EXPECT_EQ(endings, std::vector<int>{0});
}

// ---- the game watch and the real notice request --------------------------------------------------

TEST_F(ControllerFixture, ARetriedAddressRequestShowsItsAttempt) {
    window->RequestUpdateAddress();
    const struct {
        int attempt;
        const char* stage;
    } attempts[] = {
        {1, "获取游戏更新地址..."},
        {2, "获取游戏更新地址...(2/5)"},
        {5, "获取游戏更新地址...(5/5)"},
    };
    for (const auto& a : attempts) {
        Deliver(NoticeAttemptBegin, std::make_unique<NoticeAttemptInfo>(a.attempt, 5));
        EXPECT_EQ(StageText(), a.stage);
        EXPECT_EQ(StatusText(), "");
    }
    EXPECT_EQ(noticeRequests.size(), 1u) << "telling an attempt asks nothing again";
}

TEST_F(ControllerFixture, TheRequestWaitsUntilTheGameHasEnded) {
    StandInGame game(root);
    ASSERT_TRUE(game.running());

    window->Timer(CMainForegroundDialog::GameWatchTimer)->start();
    ASSERT_TRUE(WaitFor([&] { return StageText() == "等待游戏结束..."; }));
    EXPECT_EQ(StatusText(), "") << "no start-up line beside the wait";
    EXPECT_TRUE(noticeRequests.empty());

    game.End();
    ASSERT_TRUE(WaitFor([&] { return !noticeRequests.empty(); }));
    EXPECT_EQ(StageText(), "获取游戏更新地址...");
    EXPECT_FALSE(window->Timer(CMainForegroundDialog::GameWatchTimer)->isActive());
    EXPECT_EQ(noticeRequests.size(), 1u);
}

TEST(UpdateController, RetryAfterANoticeAnswerSendsACompletelyNewRequest) {
    // The real request against a service that answers without any CDN address.
    testsupport::TestHttpServer service;
    service.Serve("/", testsupport::Route(R"({"resdata":[]})"));
    testsupport::ScopedEnvironment environment;
    environment.Set("TOLM_NOTICE_URL", service.Url(""));
    testsupport::TempFolder work;

    guitest::TestForeground* window = nullptr;
    std::vector<int> endings;
    CFlashDialog host([&](QWidget* parent) {
        window = new guitest::TestForeground(parent, work.path());
        window->services().endProcess = [&endings](int code) { endings.push_back(code); };
        return window;
    });
    host.InitDialog();
    host.show();
    QCoreApplication::processEvents();
    ASSERT_NE(window, nullptr);

    SeenBox first;
    SeenBox second;
    AnswerNextBox(first, 1, [&] { AnswerNextBox(second, 7); });
    // The game watch's first tick asks; the answer comes back as a posted report.
    ASSERT_TRUE(WaitFor([&] { return !endings.empty(); }, 20000));
    EXPECT_EQ(first.text, "无法完成游戏资源更新，未配置更新地址!");
    EXPECT_EQ(second.text, "无法完成游戏资源更新，未配置更新地址!");
    EXPECT_EQ(endings, std::vector<int>{0});
    const auto requests = service.Requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const auto& request : requests) {
        EXPECT_EQ(request.method, "POST");
        EXPECT_NE(request.body.find("com.pemto.qrvo.pc.tolm"), std::string::npos) << request.body;
        EXPECT_NE(request.body.find("1.0.0.1"), std::string::npos) << request.body;
    }
}

// ---- the two delayed endings ----------------------------------------------------------------------

TEST_F(ControllerFixture, TheGameStartsFromTheTimerNotFromTheReport) {
    Deliver(ResourceUpdateDone);
    EXPECT_EQ(StageText(), "资源更新完成,准备启动游戏.");
    EXPECT_FLOAT_EQ(Ratio(), 1.0f);
    EXPECT_EQ(window->startGameCalls, 0);
    QTimer* timer = window->Timer(CMainForegroundDialog::StartGameTimer);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 30);
    ASSERT_TRUE(WaitFor([&] { return window->startGameCalls > 0; }, 2000));
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(window->startGameCalls, 1);
}

TEST_F(ControllerFixture, TheRestartWaitsASecondAfterTheNoticeIsAcknowledged) {
    QTimer* timer = window->Timer(CMainForegroundDialog::RestartLauncherTimer);
    SeenBox seen;
    bool timerActiveWhileOpen = true;
    AnswerNextBox(seen, 1, [&] { timerActiveWhileOpen = timer->isActive(); });
    Deliver(LauncherUpdateDone);
    ASSERT_TRUE(seen.opened);
    EXPECT_EQ(seen.text, "Launcher更新完成,准备重启Launcher!");
    EXPECT_EQ(seen.first, "确定");
    EXPECT_FALSE(seen.secondVisible);
    EXPECT_FALSE(timerActiveWhileOpen);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);
    EXPECT_TRUE(timer->isSingleShot());
    EXPECT_EQ(StageText(), "Launcher更新完成,正在重启Launcher...");
    EXPECT_FLOAT_EQ(Ratio(), 1.0f);

    // This test program has no ENTRANCE on its command line: the restart reports and ends.
    SeenBox failure;
    AnswerNextBox(failure, 1);
    ASSERT_TRUE(WaitFor([&] { return !endings.empty(); }, 3000));
    EXPECT_EQ(failure.text, "重启Launcher失败，参数错误");
    EXPECT_EQ(StageText(), "重启Launcher失败，参数错误");
    EXPECT_EQ(endings, std::vector<int>{0});
}

TEST_F(ControllerFixture, TimersHaveTheirNamesAndPeriods) {
    const struct {
        CMainForegroundDialog::TimerId id;
        const char* name;
        int period;
        bool running;
    } expected[] = {
        {CMainForegroundDialog::ProgressBarTimer, "ProgressBarTimer", 50, true},
        {CMainForegroundDialog::StartGameTimer, "StartGameTimer", 30, false},
        {CMainForegroundDialog::RestartLauncherTimer, "RestartLauncherTimer", 1000, false},
        {CMainForegroundDialog::StatusLineTimer, "StatusLineTimer", 1000, true},
    };
    for (const auto& e : expected) {
        QTimer* timer = window->Timer(e.id);
        EXPECT_EQ(timer->objectName().toStdString(), e.name);
        EXPECT_EQ(timer->interval(), e.period) << e.name;
        EXPECT_EQ(timer->isActive(), e.running) << e.name;
    }
    EXPECT_EQ(window->Timer(CMainForegroundDialog::GameWatchTimer)->interval(), 500);
    EXPECT_EQ(CMainForegroundDialog::GameWatchTimer, 50001);
    EXPECT_EQ(CMainForegroundDialog::StatusLineTimer, 50005);
}

// ---- restarting the launcher ----------------------------------------------------------------------

TEST_F(ControllerFixture, RestartStartsTheEntranceProgramWithTheRebootKey) {
    // The entrance program records its arguments and working folder; the path is given with
    // backslashes, as a Windows-minded caller writes it.
    const std::string folder = work.path() + "entrance dir";
    std::filesystem::create_directories(folder);
    WriteExecutable(folder + "/entrance.sh", "#!/bin/sh\nprintf '%s|%s' \"$*\" \"$(pwd)\" > \"$(pwd)/started.txt\"\n");
    std::string backslashed = folder + "\\entrance.sh";
    std::string token = "ENTRANCE=" + backslashed;
    // The space travels as %20, as the entrance program writes it.
    token.replace(token.find(' '), 1, "%20");
    char program[] = "Tolmqrvo";
    std::vector<char*> argv = {program, token.data(), nullptr};
    platform::SetCommandLine(2, argv.data());
    SetConfirmCloseChain(window, true);

    window->RestartLauncher();
    EXPECT_EQ(endings, std::vector<int>{0});
    EXPECT_EQ(StageText(), "重启Launcher成功");
    EXPECT_FALSE(window->ConfirmClose);
    EXPECT_FALSE(window->LinkedDialog->ConfirmClose) << "the background closes without asking too";
    ASSERT_TRUE(WaitForFile(folder + "/started.txt"));
    EXPECT_EQ(testsupport::ReadFileBytes(folder + "/started.txt"), "LAUNCHER_REBOOT=TRUE|" + folder);
}

TEST_F(ControllerFixture, RestartReportsEveryUnusableEntranceAndEnds) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"no ENTRANCE key", ""},
        {"a bare name the starting folder does not hold", "ENTRANCE=tolm-entrance"},
        {"a program that does not exist", "ENTRANCE=" + work.path() + "missing/tolm-entrance"},
    };
    for (const auto& [label, token] : cases) {
        endings.clear();
        std::string copy = token;
        char program[] = "Tolmqrvo";
        std::vector<char*> argv = {program, copy.data(), nullptr};
        platform::SetCommandLine(token.empty() ? 1 : 2, argv.data());
        SeenBox seen;
        AnswerNextBox(seen, 1);
        window->RestartLauncher();
        EXPECT_TRUE(seen.opened) << label;
        EXPECT_EQ(seen.text, "重启Launcher失败，参数错误") << label;
        EXPECT_FALSE(seen.secondVisible) << label;
        EXPECT_EQ(StageText(), "重启Launcher失败，参数错误") << label;
        EXPECT_EQ(endings, std::vector<int>{0}) << label;
        EXPECT_TRUE(window->ConfirmClose) << label;
    }
}

// ---- starting the game ----------------------------------------------------------------------------

std::vector<std::string> LogPayloads() {
    std::ifstream log(GetLogFilePath(), std::ios::binary);
    std::vector<std::string> payloads;
    std::string line;
    while (std::getline(log, line)) {
        // "[YYYY-MM-DD HH:MM:SS] payload\r"
        EXPECT_GE(line.size(), 23u);
        EXPECT_EQ(line.back(), '\r');
        payloads.push_back(line.substr(22, line.size() - 23));
    }
    return payloads;
}

TEST_F(ControllerFixture, AFailedGameStartIsLoggedThenReportedWithTheSystemError) {
    DeleteFileIfExists(GetLogFilePath());
    SeenBox seen;
    std::vector<std::string> logBeforeNotice;
    AnswerNextBox(seen, 1, [&] { logBeforeNotice = LogPayloads(); });
    window->OpenGame("ENTRANCE=x PLATFORM=1");
    EXPECT_EQ(seen.text, "启动失败，错误代码:2") << "no game below the root: ENOENT";
    EXPECT_FALSE(seen.secondVisible);
    EXPECT_EQ(logBeforeNotice,
              (std::vector<std::string>{"1126", "CMainForegroundDialog::OpenGame", "ENTRANCE=x PLATFORM=1"}));
    EXPECT_EQ(endings, std::vector<int>{0});
    EXPECT_EQ(StageText(), "游戏初始化中...") << "the stage label is left as it was";
}

TEST_F(ControllerFixture, TheGameRunsInItsFolderWithTheLaunchParameters) {
    DeleteFileIfExists(GetLogFilePath());
    WriteExecutable(root + "game/qrvo_game", "#!/bin/sh\nprintf '%s|%s' \"$*\" \"$(pwd)\" > started.txt\n");
    window->runStartGame = true;
    Deliver(ResourceUpdateDone);
    ASSERT_TRUE(WaitFor([&] { return !endings.empty(); }, 2000));
    EXPECT_EQ(endings, std::vector<int>{0});
    EXPECT_FALSE(window->ConfirmClose);
    EXPECT_FALSE(window->LinkedDialog->ConfirmClose);
    ASSERT_TRUE(WaitForFile(root + "game/started.txt"));
    const std::string started = testsupport::ReadFileBytes(root + "game/started.txt");
    const std::string parameters = started.substr(0, started.find('|'));
    EXPECT_EQ(started.substr(started.find('|') + 1) + "/", root + "game/");
    EXPECT_EQ(parameters.rfind("ENTRANCE=" + GetModulePath() + " DEVICE_ID=", 0), 0u) << parameters;
    EXPECT_NE(parameters.find(" LOGIN_DATA=YXV0aF9rZXk9LHVpZD0sZXh0cmFJbmZvPQ== PLATFORM=1"), std::string::npos)
        << parameters;
    const auto payloads = LogPayloads();
    ASSERT_EQ(payloads.size(), 3u);
    EXPECT_EQ(payloads[2], parameters);
}

// ---- the disk check -------------------------------------------------------------------------------

TEST_F(ControllerFixture, AShortfallOfAHundredBytesAsksAndConfirmingMeasuresAgain) {
    diskReadings = {Reading(true, 900, 1000), Reading(true, 5000, 1000)};
    SeenBox seen;
    AnswerNextBox(seen, 1);
    Deliver(DownloadSizeNotice, std::make_unique<RequestDownloadTotalSizeNoticeInfo>(1000));
    ASSERT_TRUE(seen.opened);
    EXPECT_EQ(seen.text, "/data/磁盘空间不足，无法完成此次更新，请确保释放出1 KB空间后继续");
    EXPECT_EQ(seen.first, "确定");
    EXPECT_EQ(seen.second, "取消");
    EXPECT_EQ(measuredTotals, (std::vector<std::uint64_t>{1000, 1000}));
    EXPECT_EQ(measuredRoots, (std::vector<std::string>{root, root})) << "the game root's filesystem";
    EXPECT_EQ(continued, 1);
    EXPECT_TRUE(endings.empty());
}

TEST_F(ControllerFixture, CancellingTheShortfallQuestionEndsWithoutDownloading) {
    diskReadings = {Reading(true, 0, 1)};
    SeenBox seen;
    AnswerNextBox(seen, 7);
    Deliver(DownloadSizeNotice, std::make_unique<RequestDownloadTotalSizeNoticeInfo>(1));
    EXPECT_TRUE(seen.opened);
    EXPECT_EQ(endings, std::vector<int>{0});
    EXPECT_EQ(continued, 0);
}

TEST_F(ControllerFixture, DiskCheckNoticesThatEndTheRun) {
    const struct {
        const char* name;
        bool measured;
        bool dispatcher;
        const char* text;
    } cases[] = {
        {"free space unreadable", false, true, "无法完成下载，没有成功获取磁盘大小!"},
        {"no downloader dispatcher yet", true, false, "加载服务器资源失败!"},
    };
    for (const auto& c : cases) {
        endings.clear();
        continued = 0;
        diskReadings = {Reading(c.measured, 1 << 20, 10)};
        dispatcherExists = c.dispatcher;
        SeenBox seen;
        AnswerNextBox(seen, 1);
        Deliver(DownloadSizeNotice, std::make_unique<RequestDownloadTotalSizeNoticeInfo>(10));
        EXPECT_EQ(seen.text, c.text) << c.name;
        EXPECT_FALSE(seen.secondVisible) << c.name;
        EXPECT_EQ(endings, std::vector<int>{0}) << c.name;
    }
}

class RootWithoutSeparator : public guitest::TestForeground {
public:
    using TestForeground::TestForeground;

protected:
    std::string GetGameRootFolder() override { return "Tolm"; }
};

TEST(UpdateController, ARootWithoutSeparatorEndsWithANoticeInsteadOfWaiting) {
    RootWithoutSeparator* window = nullptr;
    std::vector<int> endings;
    int measured = 0;
    CFlashDialog host([&](QWidget* parent) {
        window = new RootWithoutSeparator(parent, "Tolm");
        window->services().endProcess = [&endings](int code) { endings.push_back(code); };
        window->services().measureDiskSpace = [&measured](const std::string&, std::uint64_t) {
            ++measured;
            return DiskSpaceVerdict();
        };
        return window;
    });
    host.InitDialog();
    host.show();
    QCoreApplication::processEvents();
    ASSERT_NE(window, nullptr);
    window->Timer(CMainForegroundDialog::GameWatchTimer)->stop();
    SeenBox seen;
    AnswerNextBox(seen, 1);
    window->CheckDiskSpaceAndContinue(10);
    EXPECT_EQ(seen.text, "无法完成下载，没有成功获取磁盘大小!");
    EXPECT_EQ(measured, 0);
    EXPECT_EQ(endings, std::vector<int>{0});
}

// The edition window with its own game-root look-up, as the product runs it.
class ProductRootWindow : public CTolmMainForegroundDialog {
public:
    using CTolmMainForegroundDialog::CTolmMainForegroundDialog;
    using CTolmMainForegroundDialog::GetGameRootFolder;
    using CTolmMainForegroundDialog::GetLauncherRoot;
};

TEST(UpdateController, TheGameRootIsLookedUpOncePerRun) {
    testsupport::IsolatedHome home;
    ProductRootWindow window(nullptr);
    const std::string root = window.GetGameRootFolder();
    EXPECT_EQ(root, home.home() + "QRVO/Tolm/");
    const std::string record = home.userFolder() + kGameRootRecordName;
    ASSERT_TRUE(testsupport::PathExists(record));
    std::filesystem::remove(record);
    // Every later look-up (the game watch asks twice a second) answers from memory: no file is
    // written again.
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_EQ(window.GetGameRootFolder(), root);
        EXPECT_EQ(window.GetLauncherRoot(), root);
    }
    EXPECT_FALSE(testsupport::PathExists(record));
}

TEST_F(ControllerFixture, TheProductsMeasurementOfTheRootPassesASmallDownload) {
    window->services().measureDiskSpace = CheckDiskSpace;
    Deliver(DownloadSizeNotice, std::make_unique<RequestDownloadTotalSizeNoticeInfo>(1));
    EXPECT_EQ(continued, 1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// ---- presentation ---------------------------------------------------------------------------------

TEST_F(ControllerFixture, TheBarFillsOnceOverTheWholeDownload) {
    CCustomProgress* bar = window->ProgressBar();
    const QImage empty = bar->grab().toImage();
    // 30 % of the bytes: 30 % of the bar.
    Deliver(DownloadProgress, std::make_unique<ResourceManagerUpdateProgressInfo>(300, 1000));
    ASSERT_TRUE(WaitFor([&] { return bar->Progress > 0.0f; }, 1000));
    EXPECT_FLOAT_EQ(bar->Progress, 0.3f);
    QCoreApplication::processEvents();
    const QImage filled = bar->grab().toImage();
    const int row = 2;  // the artwork is 4 pixels high, drawn at the top of the bar
    EXPECT_NE(filled.pixel(bar->width() * 20 / 100, row), empty.pixel(bar->width() * 20 / 100, row));
    EXPECT_EQ(filled.pixel(bar->width() * 40 / 100, row), empty.pixel(bar->width() * 40 / 100, row));

    // Where the tips change sweep, the bar goes on growing: it never fills early and starts over.
    const struct {
        std::int64_t done;  // of 1000 bytes
        int stageKey;       // the tips' sweep
    } steps[] = {{500, 0}, {501, 1}, {885, 2}, {1000, 2}};
    float shown = 0.3f;
    for (const auto& step : steps) {
        Deliver(DownloadProgress, std::make_unique<ResourceManagerUpdateProgressInfo>(step.done, 1000));
        const float share = static_cast<float>(step.done) / 1000.0f;
        ASSERT_TRUE(WaitFor([&] { return bar->Progress == share; }, 1000)) << step.done;
        EXPECT_GE(bar->Progress, shown) << step.done;
        EXPECT_EQ(window->Progress().stageKey(), step.stageKey) << step.done;
        shown = bar->Progress;
    }
    // More bytes than the total never draw beyond full.
    Deliver(DownloadProgress, std::make_unique<ResourceManagerUpdateProgressInfo>(2000, 1000));
    QSignalSpy barTicks(window->Timer(CMainForegroundDialog::ProgressBarTimer), &QTimer::timeout);
    ASSERT_TRUE(barTicks.wait(1000));
    EXPECT_EQ(bar->Progress, 1.0f) << "the bar never shows more than full";
}

struct TipCase {
    std::int64_t done;  // of 1000 bytes
    const char* tip;
};

TEST_F(ControllerFixture, TheStatusTickShowsTheTipAndTheSpeedLine) {
    QTimer* status = window->Timer(CMainForegroundDialog::StatusLineTimer);
    const TipCase cases[] = {
        {100, "美女指挥官正在为您调配游戏资源..."},  // ratio 0.2, first sweep
        {450, "正在加载精致战舰模型"},               // ratio 0.9, first sweep
        {600, "正在加载精致战舰模型"},               // second sweep
        {950, "正在加载世界各大海域资源"},           // third sweep
    };
    Deliver(ResourceDownloadBegin);
    for (const TipCase& c : cases) {
        Deliver(DownloadProgress, std::make_unique<ResourceManagerUpdateProgressInfo>(c.done, 1000));
        window->StageLabel()->SetTextAndRedraw("-");
        ASSERT_TRUE(WaitFor([&] { return StageText() != "-"; }, 3000)) << c.done;
        EXPECT_EQ(StageText(), c.tip) << c.done;
        EXPECT_EQ(StatusText().rfind("速度:", 0), 0u) << StatusText();
        EXPECT_NE(StatusText().find(" 下载进度:"), std::string::npos) << StatusText();
    }
    EXPECT_EQ(status->interval(), 1000);

    // Outside a download the tick leaves both labels alone.
    Deliver(ResourceUpdateDone);
    window->Timer(CMainForegroundDialog::StartGameTimer)->stop();
    const std::string line = StatusText();
    QSignalSpy ticks(status, &QTimer::timeout);
    ASSERT_TRUE(ticks.wait(2000));
    EXPECT_EQ(StageText(), "资源更新完成,准备启动游戏.");
    EXPECT_EQ(StatusText(), line);
}

}  // namespace
