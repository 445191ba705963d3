#include "GuiTestHelpers.h"

#include "platform/Clock.h"
#include "res/ArtworkCatalog.h"
#include "ui/CCustomLabel.h"
#include "ui/CFlashDialog.h"
#include "ui/CSkinButton.h"
#include "ui/PngResources.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

using guitest::MessageBoxOf;
using guitest::StandInForeground;
using guitest::WhenBoxOpens;

class WindowGroupTest : public ::testing::Test {
protected:
    void SetUp() override {
        host = std::make_unique<CFlashDialog>([this](QWidget* parent) {
            ++foregroundsCreated;
            foreground = new StandInForeground(parent);
            return foreground;
        });
    }

    // Initialises and shows the host as its modal loop would, and lets the first paint happen.
    void ShowGroup() {
        host->InitDialog();
        host->show();
        QCoreApplication::processEvents();
        ASSERT_NE(foreground, nullptr) << "the host's first paint did not happen";
    }

    CTolmMainBackgroundDialog* background() { return host->Background(); }

    std::unique_ptr<CFlashDialog> host;
    StandInForeground* foreground = nullptr;
    int foregroundsCreated = 0;
};

QPoint ScreenCentre() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return screen.topLeft() + QPoint(screen.width() / 2, screen.height() / 2);
}

QPoint CentreOf(const QWidget& window) {
    return window.pos() + QPoint(window.width() / 2, window.height() / 2);
}

TEST_F(WindowGroupTest, BecomesVisibleInOrderAndPlacesTheGroup) {
    host->InitDialog();
    CTolmMainBackgroundDialog* bg = background();
    ASSERT_NE(bg, nullptr);
    // Created, centred and still invisible; no foreground yet, the host transparent.
    EXPECT_EQ(bg->size(), QSize(987, 388));
    EXPECT_EQ(bg->Alpha, 0);
    EXPECT_EQ(CentreOf(*bg), ScreenCentre());
    EXPECT_EQ(bg->grab().toImage().pixelColor(600, 250).alpha(), 0);
    EXPECT_EQ(foregroundsCreated, 0);
    EXPECT_EQ(host->windowOpacity(), 0.0);
    EXPECT_EQ(host->LinkedDialog, bg);
    EXPECT_EQ(bg->HostWindow, host.get());

    host->show();
    QCoreApplication::processEvents();
    // The host's first paint: foreground and artwork together, the group placed, the host opaque.
    ASSERT_EQ(foregroundsCreated, 1);
    EXPECT_EQ(bg->Foreground, foreground);
    EXPECT_EQ(foreground->LinkedDialog, bg);
    EXPECT_EQ(foreground->ParentDialog, bg);
    EXPECT_EQ(bg->Alpha, 255);
    EXPECT_EQ(CentreOf(*bg), ScreenCentre());
    EXPECT_EQ(foreground->geometry(), QRect(bg->pos() + QPoint(200, 0), QSize(787, 388)));
    EXPECT_EQ(foreground->Artwork, LoadPngRegion(artwork::kEditionBackground, 200, 0, 787, 388));
    EXPECT_EQ(host->pos(), bg->pos() + QPoint(278, 119));
    EXPECT_EQ(host->windowOpacity(), 1.0);

    const QImage art = bg->grab().toImage();
    EXPECT_EQ(art.pixelColor(0, 0).alpha(), 0) << "a transparent corner stays transparent";
    EXPECT_EQ(art.pixelColor(986, 387).alpha(), 0);
    EXPECT_EQ(art.pixelColor(600, 250).alpha(), 255);
    // The host lies wholly under opaque artwork.
    const QRect hostArea(278, 119, host->width(), host->height());
    for (const QPoint corner : {hostArea.topLeft(), hostArea.topRight(), hostArea.bottomLeft(), hostArea.bottomRight()})
        EXPECT_EQ(art.pixelColor(corner).alpha(), 255) << corner.x() << "," << corner.y();

    // Later paints never make a second foreground.
    host->update();
    host->repaint();
    QCoreApplication::processEvents();
    EXPECT_EQ(foregroundsCreated, 1);
}

TEST_F(WindowGroupTest, TransparentCornerStaysTransparentAfterRedraws) {
    ShowGroup();
    CTolmMainBackgroundDialog* bg = background();
    bg->RedrawLayered();
    bg->resize(500, 200);  // a resize redraws at the artwork's size again
    EXPECT_EQ(bg->size(), QSize(987, 388));
    const QImage art = bg->grab().toImage();
    EXPECT_EQ(art.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(art.pixelColor(3, 385).alpha(), 0);
    EXPECT_EQ(art.pixelColor(600, 250).alpha(), 255);
    EXPECT_EQ(foreground->geometry(), QRect(bg->pos() + QPoint(200, 0), QSize(787, 388)));
}

TEST_F(WindowGroupTest, DraggingAnyWindowMovesTheGroupByTheSameAmount) {
    ShowGroup();
    CTolmMainBackgroundDialog* bg = background();
    struct Grip {
        const char* name;
        QWidget* window;
        QPoint at;
    };
    const Grip grips[] = {{"foreground", foreground, QPoint(400, 200)},
                          {"background", bg, QPoint(100, 200)},
                          {"host", host.get(), QPoint(20, 20)}};
    QPoint expectedBackground = bg->pos();
    for (const Grip& grip : grips) {
        const QPoint foregroundOffset = foreground->pos() - bg->pos();
        const QPoint hostOffset = host->pos() - bg->pos();
        guitest::Drag(grip.window, grip.at, QPoint(37, -21));
        expectedBackground += QPoint(37, -21);
        EXPECT_EQ(bg->pos(), expectedBackground) << grip.name;
        EXPECT_EQ(foreground->pos() - bg->pos(), foregroundOffset) << grip.name;
        EXPECT_EQ(host->pos() - bg->pos(), hostOffset) << grip.name;
    }
    EXPECT_EQ(foreground->pos(), bg->pos() + QPoint(200, 0));
    EXPECT_EQ(host->pos(), bg->pos() + QPoint(278, 119));
}

TEST(WindowGroup, MovesAreIgnoredUntilInitialised) {
    CTolmMainBackgroundDialog bg(nullptr);
    bg.move(40, 30);
    bg.MoveGroupBy(15, 15);
    EXPECT_EQ(bg.pos(), QPoint(40, 30));
    bg.Initialized = true;
    bg.MoveGroupBy(15, 15);
    EXPECT_EQ(bg.pos(), QPoint(55, 45));
}

TEST_F(WindowGroupTest, QuestionsStandOffsetFromTheCentreWithTheGroupDisabled) {
    ShowGroup();
    CTolmMainBackgroundDialog* bg = background();
    WhenBoxOpens([&](CSkinDialog& frame) {
        EXPECT_EQ(CentreOf(frame), CentreOf(*bg) + QPoint(80, 45));
        EXPECT_FALSE(bg->isEnabled());
        EXPECT_FALSE(foreground->isEnabled());
        CSkinMessageBox& box = MessageBoxOf(frame);
        EXPECT_EQ(box.Label()->Text(), "无法完成游戏资源更新，请求失败!");
        EXPECT_EQ(box.FirstButton()->text(), QStringLiteral("重试"));
        box.SecondButton()->click();
    });
    // Asked the way the controller asks: through the foreground, which forwards to the background.
    EXPECT_EQ(foreground->ShowMessage(nullptr, "无法完成游戏资源更新，请求失败!", MessageBoxStyle::TwoButtons, "重试",
                                      "退出", ButtonEmphasis::FirstGold),
              MessageBoxAnswer::Second);
    EXPECT_TRUE(bg->isEnabled());
    EXPECT_TRUE(foreground->isEnabled());
}

TEST_F(WindowGroupTest, CancellingTheQuitQuestionLeavesEverythingRunning) {
    ShowGroup();
    CTolmMainBackgroundDialog* bg = background();
    for (QWidget* closed :
         {static_cast<QWidget*>(foreground), static_cast<QWidget*>(bg), static_cast<QWidget*>(host.get())}) {
        bool asked = false;
        WhenBoxOpens([&asked](CSkinDialog& frame) {
            asked = true;
            CSkinMessageBox& box = MessageBoxOf(frame);
            const auto& texts = QuitQuestionTexts();
            EXPECT_NE(std::find(texts.begin(), texts.end(), box.Label()->Text()), texts.end()) << box.Label()->Text();
            EXPECT_EQ(box.FirstButton()->text(), QStringLiteral("退出"));
            EXPECT_EQ(box.SecondButton()->text(), QStringLiteral("取消"));
            EXPECT_TRUE(box.SecondButton()->isVisible());
            EXPECT_EQ(box.FirstButton()->NormalImage, LoadPngResource(artwork::kBlueButton));
            box.SecondButton()->click();
        });
        EXPECT_FALSE(closed->close());
        EXPECT_TRUE(asked);
        EXPECT_TRUE(host->isVisible());
        EXPECT_TRUE(bg->isVisible());
        EXPECT_TRUE(foreground->isVisible());
        EXPECT_TRUE(bg->ConfirmClose);
    }
    EXPECT_EQ(bg->QuitTexts.size(), 6u);
}

// Builds the group and closes it from the foreground. With `confirmClose` the quit question is
// answered "退出"; without it no question may appear, and one that does ends the process with
// code 3 so the test sees it.
void CloseLauncher(bool confirmClose) {
    CFlashDialog host([](QWidget* parent) { return new StandInForeground(parent); });
    host.InitDialog();
    host.show();
    QCoreApplication::processEvents();
    CTolmMainBackgroundDialog* bg = host.Background();
    WhenBoxOpens([confirmClose](CSkinDialog& frame) {
        std::fprintf(stderr, "quit question asked\n");
        if (!confirmClose)
            std::_Exit(3);
        MessageBoxOf(frame).FirstButton()->click();
    });
    if (!confirmClose)
        SetConfirmCloseChain(bg->Foreground, false);
    bg->Foreground->close();
}

TEST(WindowGroupDeathTest, ConfirmedQuitEndsTheProcessWithCodeZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(CloseLauncher(true), ::testing::ExitedWithCode(0), "quit question asked");
}

TEST(WindowGroupDeathTest, CloseWithoutConfirmationEndsWithoutAsking) {
    // The controller clears ConfirmClose along the chain just before it ends the launcher itself.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(CloseLauncher(false), ::testing::ExitedWithCode(0), "");
}

TEST_F(WindowGroupTest, EscapeAndReturnDoNothingInAnyWindow) {
    ShowGroup();
    for (QWidget* window :
         {static_cast<QWidget*>(foreground), static_cast<QWidget*>(background()), static_cast<QWidget*>(host.get())}) {
        for (const int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Cancel}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(window, &press);
        }
        QKeyEvent ctrlBreak(QEvent::KeyPress, Qt::Key_Pause, Qt::ControlModifier);
        QCoreApplication::sendEvent(window, &ctrlBreak);
    }
    EXPECT_TRUE(host->isVisible());
    EXPECT_TRUE(background()->isVisible());
    EXPECT_TRUE(foreground->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no question was raised";
}

TEST(QuitText, OneOfTheSixAndTheSameWithinASecond) {
    CDialogBase dialog;
    std::string first;
    std::string second;
    // Two picks in one second give the same text; retry if the second changed in between.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const auto before = platform::UnixTimeNow();
        first = dialog.PickQuitText();
        second = dialog.PickQuitText();
        if (platform::UnixTimeNow() == before)
            break;
    }
    EXPECT_EQ(first, second);
    ASSERT_EQ(dialog.QuitTexts.size(), 6u);
    EXPECT_EQ(dialog.QuitTexts.front(), "万人同服，震撼全世界！可以再等等…");
    EXPECT_EQ(dialog.QuitTexts.back(), "说什么好呢……还是再等等吧！");
    EXPECT_NE(std::find(dialog.QuitTexts.begin(), dialog.QuitTexts.end(), first), dialog.QuitTexts.end());
}

}  // namespace

namespace {

TEST(HostWindow, ItsLoopLeavesTheGroupsQuestionsAnswerableByMouse) {
    StandInForeground* foreground = nullptr;
    CFlashDialog host([&foreground](QWidget* parent) { return foreground = new StandInForeground(parent); });
    int answer = 0;
    // Once the group is up: ask through the foreground, answer with a real click, end the loop.
    guitest::WhenReady([&foreground] { return foreground != nullptr; },
                       [&] {
                           // The host's loop makes no window modal: only the group's questions block it (on X11 a
                           // modal host blocked the boxes' own buttons).
                           EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
                           WhenBoxOpens([](CSkinDialog& frame) {
                               QTest::mouseClick(MessageBoxOf(frame).SecondButton(), Qt::LeftButton);
                           });
                           answer = static_cast<int>(foreground->ShowMessage(nullptr, "加载服务器资源失败!",
                                                                             MessageBoxStyle::TwoButtons, "重试",
                                                                             "退出", ButtonEmphasis::FirstGold));
                           host.done(5);
                       });
    EXPECT_EQ(host.DoModal(), 5);
    EXPECT_EQ(answer, 7);
}

}  // namespace

namespace {

TEST(LayeredWindow, MissingArtworkGivesAnEmptyWindowWithoutComplaint) {
    CLayeredBackgroundDialog window(9999);
    EXPECT_EQ(window.Width, 0);
    EXPECT_EQ(window.Height, 0);
    window.InitDialog();
    window.RedrawLayered();
    window.show();
    QCoreApplication::processEvents();
    const QImage drawn = window.grab().toImage();
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x)
            EXPECT_EQ(drawn.pixelColor(x, y).alpha(), 0);
    }
}

}  // namespace
