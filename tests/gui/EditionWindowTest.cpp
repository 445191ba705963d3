#include "ControllerFixture.h"

#include "BuildConfig.h"
#include "ui/CCustomProgress.h"
#include "ui/SkinFont.h"
#include "ui/UiScale.h"
#include "ui/WindowComposition.h"

#include "resources/ProgressStageTable.h"
#include "shell/DownloadProgressModel.h"
#include "shell/StageTexts.h"

#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>

namespace {

using guitest::AnswerNextBox;
using guitest::ControllerFixture;
using guitest::SeenBox;
using guitest::StandInGame;
using guitest::WaitFor;
using guitest::WaitForFile;
using guitest::WhenBoxOpens;

using EditionWindowTest = ControllerFixture;

TEST_F(EditionWindowTest, SitsRightOfTheWheelWithTheEditionsLayoutAndLook) {
    CTolmMainBackgroundDialog* background = host->Background();
    EXPECT_EQ(window->pos() - background->pos(), QPoint(Scaled(200), 0));
    EXPECT_EQ(window->size(), QSize(background->width() - Scaled(200), background->height()));

    const struct {
        const char* name;
        QWidget* control;
        QRect place;
    } layout[] = {
        {"progress bar 1004", window->ProgressBar(), ScaledRect(130, 328, 530, 346)},
        {"slogan label 1009", window->SloganLabel(), ScaledRect(276, 185, 721, 249)},
        {"minimise 1007", window->MinimizeButton(), ScaledRect(715, 104, 749, 144)},
        {"close 1008", window->CloseButton(), ScaledRect(756, 107, 784, 135)},
        {"button 1014", window->SpareButton(), ScaledRect(660, 288, 765, 321)},
        {"news 1010", window->NewsButton(), ScaledRect(580, 115, 708, 133)},
    };
    for (const auto& entry : layout) {
        EXPECT_EQ(entry.control->geometry(), entry.place) << entry.name;
        EXPECT_TRUE(CTolmMainForegroundDialog::Band().contains(entry.place)) << entry.name << " lies in the band";
    }

    // The line labels keep their rows; the stage text starts a gap after the status line's end and
    // may reach the frame's inner edge (their heights follow the font, see below).
    const QRect status = window->StatusLabel()->geometry();
    EXPECT_EQ(QPoint(status.right() + 1, status.top()), QPoint(Scaled(530), Scaled(333)));
    EXPECT_LE(status.left(), Scaled(130));
    const QRect stage = window->StageLabel()->geometry();
    EXPECT_EQ(QPoint(stage.left(), stage.top()), QPoint(Scaled(538), Scaled(323)));
    EXPECT_EQ(stage.right() + 1, Scaled(772));

    EXPECT_EQ(window->StatusLabel()->FontSize, 14);
    EXPECT_EQ(window->StatusLabel()->HAlign, SkinAlign::Far);
    EXPECT_EQ(window->StatusLabel()->TextColor, 0xFFE3F7FFu);
    EXPECT_EQ(window->StageLabel()->FontSize, 14);
    EXPECT_EQ(window->StageLabel()->HAlign, SkinAlign::Near);
    EXPECT_EQ(window->StageLabel()->TextColor, 0xFFE3F7FFu);
    EXPECT_EQ(window->SloganLabel()->FontSize, 20);
    EXPECT_EQ(window->SloganLabel()->FontStyle, kFontBold);
    EXPECT_EQ(window->SloganLabel()->VAlign, SkinAlign::Centre);
    EXPECT_EQ(window->SloganLabel()->TextColor, 0xFFDEDBD6u);
    EXPECT_EQ(window->SloganLabel()->Text(), "");
    EXPECT_EQ(window->StageLabel()->Text(), "游戏初始化中...");
    EXPECT_EQ(window->StatusLabel()->Text(), "游戏初始化中...");
    EXPECT_FALSE(window->ProgressBar()->TrackImage.isNull());
    EXPECT_FALSE(window->ProgressBar()->FillImage.isNull());
    EXPECT_TRUE(window->SpareButton()->NormalImage.isNull()) << "button 1014 has no images";
}

// Every text the two line labels show, measured with the labels' own fonts at the scales players
// use: the place each is drawn in holds all of it, inside the visible band, right of the status
// line's end and left of the frame's inner edge.
TEST_F(EditionWindowTest, EveryStageAndStatusTextFitsWhereItIsDrawnAtEveryScale) {
    std::vector<std::string> stageTexts = {kInitialisingText,          kWaitingForGameText,
                                           kRequestingAddressText,     kRestartFailedText,
                                           kRestartSucceededText,      FileCheckSummaryText(123456, 12345),
                                           RequestingAddressText(5, 5)};
    for (int result : {2, 3, 4})
        stageTexts.emplace_back(NoticeFailureText(result));
    std::vector<std::string> statusTexts = {kInitialisingText, kConnectingText,
                                            FileCheckStatusText(123456, 123456, 1LL << 40, 1LL << 40, 3599)};
    for (int state = 0; state < 40; ++state) {
        if (const char* text = StageTextForState(state))
            stageTexts.emplace_back(text);
        if (const std::optional<std::string> line = StatusLineForState(state, 1'099'511'627'775))
            statusTexts.push_back(*line);
    }
    DownloadProgressModel model;
    for (int key : {0, 1, 2}) {
        for (float ratio : {0.0f, 0.9f}) {
            model.ChooseTip(key, ratio);
            stageTexts.push_back(model.tipText());
        }
    }
    // The download's line at its widest: a gigabyte a second of a terabyte.
    model.OnProgress(0, 1'099'511'627'775);
    model.OnStatusTick(true);
    statusTexts.push_back(model.statusLine());
    model.OnProgress(6'442'450'000, 1'099'511'627'775);
    model.OnStatusTick(true);
    statusTexts.push_back(model.statusLine());

    CCustomLabel* stage = window->StageLabel();
    CCustomLabel* status = window->StatusLabel();
    for (const float scale : {1.0f, 1.25f, 1.5f, 2.0f}) {
        const QRect band = CTolmMainForegroundDialog::Band(scale);
        const int barEnd = ScaleDesignPixels(530, scale);
        const int frameInnerEdge = ScaleDesignPixels(779, scale);
        const auto fits = [&](CCustomLabel* label, const QRect& place, const std::string& text) {
            if (text.empty())
                return;
            const QRect needed = QFontMetrics(label->SkinFont(scale))
                                     .boundingRect(place, label->TextFlags(), QString::fromStdString(text));
            EXPECT_TRUE(place.contains(needed)) << "scale " << scale << ": " << text;
            EXPECT_TRUE(band.contains(place)) << "scale " << scale << ": " << text;
        };
        for (const std::string& text : stageTexts) {
            const QRect place = CTolmMainForegroundDialog::StageLabelPlace(text, stage->SkinFont(scale), scale);
            fits(stage, place, text);
            EXPECT_GE(place.left(), barEnd + ScaleDesignPixels(8, scale)) << "scale " << scale << ": " << text;
            EXPECT_LE(place.right(), frameInnerEdge) << "scale " << scale << ": " << text;
        }
        for (const std::string& text : statusTexts) {
            const QRect place = CTolmMainForegroundDialog::StatusLabelPlace(text, status->SkinFont(scale), scale);
            fits(status, place, text);
            EXPECT_EQ(place.right() + 1, barEnd) << "scale " << scale << ": " << text;
        }
    }

    // The window places its labels so, here at the test screen's scale of 1: a text longer than one
    // line rises from the one-line place.
    const std::string longText = "Launcher更新完成,正在重启Launcher...";
    const QRect oneLine = stage->geometry();
    WhenBoxOpens([&](CSkinDialog& frame) {
        EXPECT_EQ(StageText(), longText);
        EXPECT_EQ(stage->geometry(), CTolmMainForegroundDialog::StageLabelPlace(longText, stage->SkinFont(1.0f), 1.0f));
        EXPECT_GT(stage->height(), oneLine.height()) << "two lines";
        EXPECT_EQ(stage->geometry().bottom(), oneLine.bottom());
        guitest::MessageBoxOf(frame).FirstButton()->click();
    });
    Deliver(LauncherUpdateDone);
    window->Timer(CMainForegroundDialog::RestartLauncherTimer)->stop();
}

TEST_F(EditionWindowTest, PaintsTheArtworkTheBackgroundHandsIt) {
    // The window shows exactly the background's pixels beneath it.
    CTolmMainBackgroundDialog* background = host->Background();
    const QImage behind = background->grab().toImage();
    const QImage shown = window->grab().toImage();
    const QPoint inWindow(Scaled(40), Scaled(200));
    const QPoint inBackground = inWindow + QPoint(Scaled(200), 0);
    EXPECT_EQ(shown.pixelColor(inWindow), behind.pixelColor(inBackground));
}

TEST_F(EditionWindowTest, MinimiseButtonMinimisesTheBackground) {
    window->MinimizeButton()->click();
    EXPECT_TRUE(host->Background()->isMinimized());
    EXPECT_TRUE(endings.empty());
}

TEST_F(EditionWindowTest, CloseButtonAsksTheQuitQuestionAndCancelLeavesTheRunGoing) {
    SeenBox seen;
    AnswerNextBox(seen, 7);
    window->CloseButton()->click();
    ASSERT_TRUE(seen.opened);
    const auto& texts = QuitQuestionTexts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), seen.text), texts.end()) << seen.text;
    EXPECT_EQ(seen.first, "退出");
    EXPECT_EQ(seen.second, "取消");
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->Timer(CMainForegroundDialog::ProgressBarTimer)->isActive());
    EXPECT_TRUE(endings.empty());
}

TEST_F(EditionWindowTest, NewsButtonOpensTheNewsPageInTheBrowser) {
    // No desktop opener on the search path; the configured browser records what it was given.
    testsupport::ScopedEnvironment environment;
    environment.Set("PATH", work.path());
    const std::string browser = work.path() + "browser.sh";
    const std::string record = work.path() + "opened.txt";
    testsupport::WriteFileBytes(browser, "#!/bin/sh\nprintf '%s' \"$1\" > '" + record + "'\n");
    std::filesystem::permissions(browser, std::filesystem::perms::owner_all);
    environment.Set("BROWSER", browser);
    window->NewsButton()->click();
    ASSERT_TRUE(WaitForFile(record));
    EXPECT_EQ(testsupport::ReadFileBytes(record), build_config::kNewsUrl);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(EditionWindowTest, LaunchParametersCarryTheLoginValuesInBase64) {
    std::string parameters = window->BuildLaunchParameters();
    EXPECT_NE(parameters.find(" LOGIN_DATA=YXV0aF9rZXk9LHVpZD0sZXh0cmFJbmZvPQ== PLATFORM=1"), std::string::npos)
        << parameters;
    EXPECT_EQ(window->loginData.size(), 3u) << "the three keys are read, and so inserted";

    window->loginData["auth_key"] = "k1";
    window->loginData["uid"] = "42";
    window->loginData["extraInfo"] = "舰长";
    parameters = window->BuildLaunchParameters();
    // Base64 of the UTF-8 bytes of "auth_key=k1,uid=42,extraInfo=舰长".
    EXPECT_NE(parameters.find(" LOGIN_DATA=YXV0aF9rZXk9azEsdWlkPTQyLGV4dHJhSW5mbz3oiLDplb8= "), std::string::npos)
        << parameters;
    const std::size_t device = parameters.find(" DEVICE_ID=") + 11;
    const std::string deviceId = parameters.substr(device, parameters.find(' ', device) - device);
    EXPECT_TRUE(deviceId.empty() || deviceId.size() == 32) << deviceId;
    EXPECT_EQ(deviceId.find_first_not_of("0123456789ABCDEF"), std::string::npos) << deviceId;
}

// ---- what a player sees ---------------------------------------------------------------------------

class PlayerViewTest : public ControllerFixture {
protected:
    QImage Picture(CSkinDialog* box = nullptr) {
        QCoreApplication::processEvents();
        CTolmMainBackgroundDialog* background = host->Background();
        WindowComposition picture(background->geometry());
        picture.Add(host.get());
        picture.Add(background);
        picture.Add(window, CTolmMainForegroundDialog::Band());
        if (box) {
            picture.Add(box);
            picture.Add(box->Content());
        }
        return picture.Image();
    }

    // Kept when TOLM_SCREENSHOT_DIR names a folder, to look at.
    static void Keep(const QImage& image, const char* name) {
        const char* folder = std::getenv("TOLM_SCREENSHOT_DIR");
        if (!folder || !*folder)
            return;
        QDir().mkpath(QString::fromLocal8Bit(folder));
        EXPECT_TRUE(image.save(QDir(QString::fromLocal8Bit(folder)).filePath(QString::fromUtf8(name)), "PNG"));
    }

    // Where the bar lies in a picture of the group.
    QPoint BarPoint(float fraction) const {
        const QRect bar = window->ProgressBar()->geometry().translated(window->pos() - host->Background()->pos());
        return QPoint(bar.left() + static_cast<int>(bar.width() * fraction), bar.top() + 2);
    }
};

TEST_F(PlayerViewTest, CheckingDownloadingAndAFailedDownload) {
    Deliver(LocalCheckBegin);
    Deliver(LocalCheckEnd);
    Deliver(CdnCheckBegin);
    const QImage checking = Picture();
    Keep(checking, "launcher_checking.png");

    // A download at 30 % of its bytes fills 30 % of the bar; a status line after one tick.
    Deliver(ResourceDownloadBegin);
    Deliver(DownloadProgress, std::make_unique<ResourceManagerUpdateProgressInfo>(126'000'000, 420'000'000));
    QSignalSpy statusTicks(window->Timer(CMainForegroundDialog::StatusLineTimer), &QTimer::timeout);
    ASSERT_TRUE(statusTicks.wait(2000));
    QSignalSpy barTicks(window->Timer(CMainForegroundDialog::ProgressBarTimer), &QTimer::timeout);
    ASSERT_TRUE(barTicks.wait(1000));
    EXPECT_EQ(StageText(), "美女指挥官正在为您调配游戏资源...");
    EXPECT_EQ(StatusText(), "速度:20.03MB/秒 预计:14秒 下载进度:120.16MB/400.54MB");
    const QImage downloading = Picture();
    Keep(downloading, "launcher_downloading_30.png");
    // The fill shows left of 30 % of the bar and not right of it.
    EXPECT_NE(downloading.pixel(BarPoint(0.2f)), checking.pixel(BarPoint(0.2f)));
    EXPECT_EQ(downloading.pixel(BarPoint(0.4f)), checking.pixel(BarPoint(0.4f)));

    QImage question;
    guitest::WhenBoxOpens([&](CSkinDialog& frame) {
        question = Picture(&frame);
        // The failure stays readable beside the box: its bottom edge ends above the progress row.
        EXPECT_LT(frame.geometry().bottom(), window->StageLabel()->mapToGlobal(QPoint(0, 0)).y());
        EXPECT_LT(frame.geometry().bottom(), window->ProgressBar()->mapToGlobal(QPoint(0, 0)).y());
        guitest::MessageBoxOf(frame).SecondButton()->click();
    });
    Deliver(ResourceDownloadFailed);
    Keep(question, "launcher_failure_question.png");
    ASSERT_FALSE(question.isNull());
    // The box stands over the group's centre (offset by 80, 45).
    const QPoint centre(question.width() / 2 + 80, question.height() / 2 + 45);
    EXPECT_NE(question.pixel(centre), downloading.pixel(centre));
    EXPECT_EQ(endings, std::vector<int>{0});
}

// Where the artwork leaves the window group transparent inside the foreground's visible band (the
// frame's bevelled corners), the group shows nothing, not the foreground's own background.
TEST_F(PlayerViewTest, TheBevelledCornersStayTransparent) {
    const QImage picture = Picture();
    const QImage artwork = host->Background()->grab().toImage();
    ASSERT_EQ(picture.size(), artwork.size());
    const QRect band = CTolmMainForegroundDialog::Band().translated(window->pos() - host->Background()->pos()) &
                       window->geometry().translated(-host->Background()->pos());
    int transparent = 0;
    for (int y = band.top(); y <= band.bottom(); ++y) {
        for (int x = band.left(); x <= band.right(); ++x) {
            if (artwork.pixelColor(x, y).alpha() != 0)
                continue;
            ++transparent;
            ASSERT_EQ(picture.pixelColor(x, y).alpha(), 0) << "at " << x << ", " << y;
        }
    }
    EXPECT_GT(transparent, 0) << "the band reaches the bevelled corners";
}

// Every state a player meets, each with the lines it shows; with TOLM_SCREENSHOT_DIR set, kept as one
// contact sheet (docs/images/launcher_states.png).
TEST_F(PlayerViewTest, EveryStateAPlayerMeets) {
    struct Shot {
        const char* caption;
        QImage picture;
    };
    std::vector<Shot> shots;
    const auto lines = [this](const char* stage, const char* status, const char* state) {
        EXPECT_EQ(StageText(), stage) << state;
        EXPECT_EQ(StatusText(), status) << state;
    };
    const auto waitForTicks = [this] {
        QSignalSpy statusTicks(window->Timer(CMainForegroundDialog::StatusLineTimer), &QTimer::timeout);
        ASSERT_TRUE(statusTicks.wait(2000));
        QSignalSpy barTicks(window->Timer(CMainForegroundDialog::ProgressBarTimer), &QTimer::timeout);
        ASSERT_TRUE(barTicks.wait(1000));
    };
    // Pictures the question that `cause` opens, checks its text (null: one of the quit texts) and
    // what stands behind it, and answers it.
    const auto question = [&](const char* caption, const std::function<void()>& cause, const char* text,
                              const char* stage, const char* status, int answer) {
        QImage picture;
        std::string shown;
        std::string stageBehind;
        std::string statusBehind;
        guitest::WhenBoxOpens([&](CSkinDialog& frame) {
            picture = Picture(&frame);
            shown = guitest::MessageBoxOf(frame).Label()->Text();
            stageBehind = StageText();
            statusBehind = StatusText();
            CSkinMessageBox& box = guitest::MessageBoxOf(frame);
            (answer == 1 ? box.FirstButton() : box.SecondButton())->click();
        });
        cause();
        ASSERT_FALSE(picture.isNull()) << caption;
        if (text) {
            EXPECT_EQ(shown, text) << caption;
        } else {
            const auto& quitTexts = QuitQuestionTexts();
            EXPECT_NE(std::find(quitTexts.begin(), quitTexts.end(), shown), quitTexts.end()) << shown;
        }
        EXPECT_EQ(stageBehind, stage) << caption;
        EXPECT_EQ(statusBehind, status) << caption;
        shots.push_back({caption, picture});
    };

    // Waiting for the game: a stand-in game runs under the game's path.
    StandInGame game(root);
    ASSERT_TRUE(game.running());
    window->Timer(CMainForegroundDialog::GameWatchTimer)->start();
    const bool waited = WaitFor([&] { return StageText() == "等待游戏结束..."; });
    window->Timer(CMainForegroundDialog::GameWatchTimer)->stop();
    game.End();
    ASSERT_TRUE(waited);
    lines("等待游戏结束...", "", "waiting for the game");
    shots.push_back({"Waiting for the game to end", Picture()});

    Deliver(LocalCheckBegin);
    Deliver(LocalCheckEnd);
    Deliver(CdnCheckBegin);
    lines("开始比对服务器资源...", "", "checking");
    shots.push_back({"Checking against the CDN", Picture()});

    Deliver(CdnCheckEnd);
    diskReadings.push_back(Reading(true, 1'000'000, 1'611'613'736));
    question(
        "The disk-space question",
        [this] { Deliver(DownloadSizeNotice, std::make_unique<RequestDownloadTotalSizeNoticeInfo>(1'611'613'736)); },
        "/data/磁盘空间不足，无法完成此次更新，请确保释放出1.50G空间后继续", "比对服务器资源完成...", "", 7);

    Deliver(ResourceDownloadBegin);
    lines("美女指挥官正在为您调配游戏资源...", "正在连接下载服务器...", "download begins");
    Deliver(DownloadProgress, std::make_unique<ResourceManagerUpdateProgressInfo>(126'000'000, 420'000'000));
    waitForTicks();
    shots.push_back({"Downloading, 30 %", Picture()});

    question(
        "The quit question", [this] { window->CloseButton()->click(); }, nullptr, "美女指挥官正在为您调配游戏资源...",
        "速度:20.03MB/秒 预计:14秒 下载进度:120.16MB/400.54MB", 7);

    question(
        "A failed download", [this] { Deliver(ResourceDownloadFailed); }, "加载服务器资源失败!", "加载服务器资源失败!",
        "", 7);

    Deliver(LauncherDownloadBegin);
    Deliver(DownloadProgress, std::make_unique<ResourceManagerUpdateProgressInfo>(7'424'000, 7'424'000));
    question(
        "The launcher restart notice", [this] { Deliver(LauncherUpdateDone); }, "Launcher更新完成,准备重启Launcher!",
        "Launcher更新完成,正在重启Launcher...", "下载进度:7.08MB/7.08MB", 1);
    window->Timer(CMainForegroundDialog::RestartLauncherTimer)->stop();

    const char* folder = std::getenv("TOLM_SCREENSHOT_DIR");
    if (!folder || !*folder)
        return;
    // Two columns, each picture over its caption.
    const QSize cell = shots.front().picture.size();
    constexpr int kCaption = 34;
    constexpr int kGap = 24;
    const int rows = static_cast<int>((shots.size() + 1) / 2);
    QImage sheet(kGap + 2 * (cell.width() + kGap), kGap + rows * (cell.height() + kCaption + kGap),
                 QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(24, 28, 36));
    QPainter painter(&sheet);
    painter.setFont(MakeSkinFont(kFallbackFontFamily, 18, kFontBold, SkinFontUnit::Pixel, 1.0f));
    painter.setPen(QColor(227, 247, 255));
    for (std::size_t i = 0; i < shots.size(); ++i) {
        const int column = static_cast<int>(i % 2);
        const int row = static_cast<int>(i / 2);
        const QPoint at(kGap + column * (cell.width() + kGap), kGap + row * (cell.height() + kCaption + kGap));
        painter.drawImage(at, shots[i].picture);
        painter.drawText(QRect(at + QPoint(0, cell.height()), QSize(cell.width(), kCaption)), Qt::AlignCenter,
                         QString::fromUtf8(shots[i].caption));
    }
    painter.end();
    Keep(sheet, "launcher_states.png");
}

}  // namespace
