#include "GuiTestHelpers.h"

#include "res/ArtworkCatalog.h"
#include "ui/CCustomLabel.h"
#include "ui/CSkinButton.h"
#include "ui/PngResources.h"
#include "ui/SkinMessageBox.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTest>
#include <QTextLayout>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using guitest::MessageBoxOf;
using guitest::WhenBoxOpens;

// The style and emphasis as the system's numbers, so the cases below read like its table.
int Ask(const std::string& text,
        int style,
        const std::string& first,
        const std::string& second,
        int emphasis,
        const QRect* centreOn = nullptr) {
    return static_cast<int>(ShowSkinMessageBox(text, centreOn, first, second, static_cast<ButtonEmphasis>(emphasis),
                                               nullptr, static_cast<MessageBoxStyle>(style)));
}

TEST(SkinMessageBox, AnswersOneForTheFirstButtonAndSevenForTheSecond) {
    for (const int pressed : {1, 2}) {
        WhenBoxOpens([pressed](CSkinDialog& frame) {
            CSkinMessageBox& box = MessageBoxOf(frame);
            EXPECT_EQ(box.Label()->Text(), "是否继续？");
            EXPECT_EQ(box.FirstButton()->text(), QStringLiteral("退出"));
            EXPECT_EQ(box.SecondButton()->text(), QStringLiteral("取消"));
            EXPECT_TRUE(box.FirstButton()->isVisible());
            EXPECT_TRUE(box.SecondButton()->isVisible());
            // A real click through the window system: the box's modality must leave its own
            // buttons usable.
            QTest::mouseClick(pressed == 1 ? box.FirstButton() : box.SecondButton(), Qt::LeftButton);
        });
        const QRect area(50, 60, 700, 400);  // centred on a window, as the launcher's questions are
        EXPECT_EQ(Ask("是否继续？", 4, "退出", "取消", 1, &area), pressed == 1 ? 1 : 7);
    }
}

// The characters on each line as the label breaks its text.
std::vector<int> LineLengths(const CCustomLabel& label) {
    QTextLayout layout(label.text(), label.DrawnFont());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    std::vector<int> lengths;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(label.DrawnRect().width());
        lengths.push_back(line.textLength());
    }
    layout.endLayout();
    return lengths;
}

TEST(SkinMessageBox, QuestionsFitTheirLabelWithBalancedLines) {
    std::vector<std::string> texts = QuitQuestionTexts();
    texts.emplace_back("/media/player/GameDisk/磁盘空间不足，无法完成此次更新，请确保释放出1.50G空间后继续");
    texts.emplace_back("Launcher更新完成,准备重启Launcher!");
    texts.emplace_back("无法完成游戏资源更新，未配置更新地址!");
    for (const std::string& text : texts) {
        WhenBoxOpens([&text](CSkinDialog& frame) {
            const CCustomLabel& label = *MessageBoxOf(frame).Label();
            const QRect needed =
                QFontMetrics(label.DrawnFont()).boundingRect(label.DrawnRect(), label.TextFlags(), label.text());
            EXPECT_TRUE(label.rect().contains(needed)) << text;
            const std::vector<int> lengths = LineLengths(label);
            ASSERT_FALSE(lengths.empty()) << text;
            // No stray character on a last line: it holds at least half of the longest one.
            EXPECT_GE(lengths.back() * 2, *std::max_element(lengths.begin(), lengths.end())) << text;
            MessageBoxOf(frame).FirstButton()->click();
        });
        EXPECT_EQ(Ask(text, 4, "退出", "取消", 1), 1) << text;
    }
}

TEST(SkinMessageBox, OneButtonStylesShowOnlyTheFirstButtonCentred) {
    for (const int style : {0, 16, 32, 48, 64, 0x4000}) {
        WhenBoxOpens([style](CSkinDialog& frame) {
            CSkinMessageBox& box = MessageBoxOf(frame);
            EXPECT_TRUE(box.SecondButton()->isHidden()) << "style " << style;
            EXPECT_TRUE(box.FirstButton()->isVisible());
            const QRect button = box.FirstButton()->geometry();
            EXPECT_NEAR(button.center().x(), box.width() / 2, 1) << "style " << style;
            EXPECT_EQ(button.top(), 91);
            EXPECT_EQ(button.size(), QSize(137, 47));
            box.FirstButton()->click();
        });
        // A second text is given but must not bring the second button back.
        EXPECT_EQ(Ask("完成", style, "好", "不", 0), 1);
    }
    // Any other style keeps both buttons where the layout put them.
    for (const int style : {1, 4, 17, 0x4001}) {
        WhenBoxOpens([style](CSkinDialog& frame) {
            CSkinMessageBox& box = MessageBoxOf(frame);
            EXPECT_FALSE(box.SecondButton()->isHidden()) << "style " << style;
            EXPECT_EQ(box.FirstButton()->geometry(), QRect(12, 91, 137, 47));
            EXPECT_EQ(box.SecondButton()->geometry(), QRect(172, 91, 137, 47));
            box.SecondButton()->click();
        });
        EXPECT_EQ(Ask("继续？", style, "", "", 0), 7);
    }
}

TEST(SkinMessageBox, EmptyButtonTextsShowTheDefaultCaptions) {
    WhenBoxOpens([](CSkinDialog& frame) {
        CSkinMessageBox& box = MessageBoxOf(frame);
        EXPECT_EQ(box.FirstButton()->text(), QStringLiteral("确定"));
        EXPECT_EQ(box.SecondButton()->text(), QStringLiteral("取消"));
        box.FirstButton()->click();
    });
    EXPECT_EQ(Ask("", 1, "", "", 0), 1);
}

TEST(SkinMessageBox, EmphasisMakesTheFirstButtonBlueAndTheSecondGold) {
    const QImage gold = LoadPngResource(artwork::kGoldButton);
    const QImage goldHover = LoadPngResource(artwork::kGoldButtonHover);
    const QImage blue = LoadPngResource(artwork::kBlueButton);
    const QImage blueHover = LoadPngResource(artwork::kBlueButtonHover);
    for (const int emphasis : {1, 0}) {
        WhenBoxOpens([&, emphasis](CSkinDialog& frame) {
            CSkinMessageBox& box = MessageBoxOf(frame);
            const CSkinButton& first = *box.FirstButton();
            const CSkinButton& second = *box.SecondButton();
            EXPECT_EQ(first.NormalImage, emphasis ? blue : gold) << "emphasis " << emphasis;
            EXPECT_EQ(first.HoverImage, emphasis ? blueHover : goldHover);
            EXPECT_EQ(second.NormalImage, emphasis ? gold : blue);
            EXPECT_EQ(second.HoverImage, emphasis ? goldHover : blueHover);
            // And on screen: blue is the colder button.
            const QColor left = box.FirstButton()->grab().toImage().pixelColor(20, 14);
            EXPECT_EQ(left.blue() > left.red(), emphasis != 0);
            box.SecondButton()->click();
        });
        EXPECT_EQ(Ask("退出游戏？", 4, "退出", "取消", emphasis), 7);
    }
}

TEST(SkinMessageBox, FrameAndContentFormOneWindowFromTheFrameArtwork) {
    const QRect area(100, 120, 400, 300);
    WhenBoxOpens([&area](CSkinDialog& frame) {
        CSkinMessageBox& box = MessageBoxOf(frame);
        EXPECT_EQ(frame.size(), QSize(366, 184));
        EXPECT_EQ(frame.geometry().center(), area.center());
        EXPECT_EQ(box.geometry(), QRect(frame.pos() + QPoint(20, 18), QSize(326, 148)));
        // The content is the frame's transient child, so the modal frame does not block it.
        ASSERT_NE(box.windowHandle(), nullptr);
        EXPECT_EQ(box.windowHandle()->transientParent(), frame.windowHandle());
        EXPECT_EQ(box.BackgroundImage(), LoadPngRegion(artwork::kMessageFrame, 20, 18, 326, 148));
        EXPECT_EQ(box.Label()->geometry(), QRect(9, 12, 296, 68));
        const QColor colour = QColor::fromRgba(box.Label()->TextColor);
        EXPECT_EQ(colour, QColor(0xB0, 0xDB, 0xFF));
        EXPECT_EQ(box.Label()->FontSize, 18);
        // The frame's corners stay transparent; its middle is the content's artwork.
        const QImage frameImage = frame.grab().toImage();
        EXPECT_EQ(frameImage.pixelColor(0, 0).alpha(), 0);
        // Between the text and the buttons the content shows the frame's own pixels (up to the
        // one-pixel overdraw that hides seams).
        const QColor inContent = box.grab().toImage().pixelColor(160, 85);
        const QColor inFrame = frameImage.pixelColor(180, 103);
        EXPECT_NEAR(inContent.red(), inFrame.red(), 6);
        EXPECT_NEAR(inContent.green(), inFrame.green(), 6);
        EXPECT_NEAR(inContent.blue(), inFrame.blue(), 6);
        EXPECT_EQ(inContent.alpha(), 255);
        box.FirstButton()->click();
    });
    EXPECT_EQ(Ask("网络异常", 0, "", "", 0, &area), 1);
}

TEST(SkinMessageBox, WithoutRectangleOrParentTheBoxIsCentredOnTheScreen) {
    WhenBoxOpens([](CSkinDialog& frame) {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        EXPECT_NEAR(frame.geometry().center().x(), screen.center().x(), 1);
        EXPECT_NEAR(frame.geometry().center().y(), screen.center().y(), 1);
        MessageBoxOf(frame).FirstButton()->click();
    });
    EXPECT_EQ(Ask("提示", 0, "", "", 0), 1);
}

TEST(SkinMessageBox, WindowManagerCloseAnswersSeven) {
    // Closing the frame or the content (the window manager's close) is the safe "no", and never
    // asks the quit question.
    for (const bool content : {false, true}) {
        WhenBoxOpens([content](CSkinDialog& frame) {
            EXPECT_FALSE(frame.ConfirmClose);
            if (content)
                frame.Content()->close();
            else
                frame.close();
        });
        EXPECT_EQ(Ask("退出游戏？", 4, "退出", "取消", 1), 7) << (content ? "content" : "frame");
    }
}

TEST(SkinMessageBox, EscapeAndReturnDoNothing) {
    WhenBoxOpens([](CSkinDialog& frame) {
        CSkinMessageBox& box = MessageBoxOf(frame);
        for (QWidget* target : {static_cast<QWidget*>(&box), static_cast<QWidget*>(box.FirstButton()),
                                static_cast<QWidget*>(box.SecondButton()), static_cast<QWidget*>(&frame)}) {
            for (const int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Cancel}) {
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
                QCoreApplication::sendEvent(target, &press);
                QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
                QCoreApplication::sendEvent(target, &release);
            }
        }
        EXPECT_TRUE(frame.isVisible()) << "a key ended the box";
        box.SecondButton()->click();
    });
    EXPECT_EQ(Ask("退出游戏？", 4, "退出", "取消", 1), 7);
}

TEST(SkinMessageBox, ASecondBoxHidesTheFirstAndRestoresIt) {
    int inner = 0;
    WhenBoxOpens([&inner](CSkinDialog& first) {
        const QPoint firstAt = first.pos();
        WhenBoxOpens(
            [&first](CSkinDialog& second) {
                EXPECT_TRUE(first.isHidden());
                EXPECT_TRUE(first.Content()->isHidden());
                EXPECT_TRUE(second.isVisible());
                EXPECT_EQ(MessageBoxOf(second).Label()->Text(), "第二个");
                MessageBoxOf(second).SecondButton()->click();
            },
            &first);
        inner = static_cast<int>(ShowSkinMessageBox("第二个", nullptr, "", "", ButtonEmphasis::FirstGold,
                                                    first.Content(), MessageBoxStyle::QuitQuestion));
        EXPECT_TRUE(first.isVisible());
        EXPECT_TRUE(first.Content()->isVisible());
        EXPECT_EQ(first.pos(), firstAt);
        EXPECT_EQ(MessageBoxOf(first).Label()->Text(), "第一个");
        MessageBoxOf(first).FirstButton()->click();
    });
    EXPECT_EQ(Ask("第一个", 4, "", "", 0), 1);
    EXPECT_EQ(inner, 7);
}

TEST(SkinMessageBox, QuestionFromInsideABoxDisablesItWhileTheNewOneIsOpen) {
    WhenBoxOpens([](CSkinDialog& first) {
        WhenBoxOpens(
            [&first](CSkinDialog& second) {
                EXPECT_FALSE(first.isEnabled());
                EXPECT_FALSE(first.Content()->isEnabled());
                // Centred on the box that asked.
                EXPECT_EQ(second.geometry().center(), first.frameGeometry().center());
                MessageBoxOf(second).FirstButton()->click();
            },
            &first);
        EXPECT_EQ(first.Content()->ShowMessage(nullptr, "确认？", MessageBoxStyle::TwoButtons, "", "",
                                               ButtonEmphasis::FirstGold),
                  MessageBoxAnswer::First);
        EXPECT_TRUE(first.isEnabled());
        EXPECT_TRUE(first.Content()->isEnabled());
        MessageBoxOf(first).SecondButton()->click();
    });
    EXPECT_EQ(Ask("外层", 4, "", "", 0), 7);
}

TEST(SkinMessageBox, DraggingContentOrFrameMovesBoth) {
    WhenBoxOpens([](CSkinDialog& frame) {
        CSkinMessageBox& box = MessageBoxOf(frame);
        const QPoint offset = box.pos() - frame.pos();
        const QPoint frameStart = frame.pos();
        guitest::Drag(&box, QPoint(150, 40), QPoint(31, -17));
        EXPECT_EQ(frame.pos(), frameStart + QPoint(31, -17));
        EXPECT_EQ(box.pos() - frame.pos(), offset);
        guitest::Drag(&frame, QPoint(6, 6), QPoint(-50, 12));
        EXPECT_EQ(frame.pos(), frameStart + QPoint(-19, -5));
        EXPECT_EQ(box.pos() - frame.pos(), offset);
        box.FirstButton()->click();
    });
    EXPECT_EQ(Ask("拖动", 0, "", "", 0), 1);
}

}  // namespace
