#include "res/ArtworkCatalog.h"
#include "ui/CCustomLabel.h"
#include "ui/CCustomProgress.h"
#include "ui/CSkinButton.h"
#include "ui/PngResources.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

// ---- progress bar -------------------------------------------------------------------------

// A fill image whose red channel tells which column of it was drawn: red = x * 2 (0..198).
QImage ColumnCodedFill() {
    QImage image(100, 4, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, QColor(x * 2, 255, 0));
    }
    return image;
}

QImage SolidImage(const QColor& colour, int width = 100, int height = 4) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

struct ProgressCase {
    float progress;
    bool track;
};

class ProgressTest : public ::testing::TestWithParam<ProgressCase> {
protected:
    QImage Render(float progress, bool track) {
        CCustomProgress bar;
        bar.resize(200, 10);
        bar.FillImage = ColumnCodedFill();
        bar.FillImageWidth = 100;
        bar.FillImageHeight = 4;
        if (track)
            bar.TrackImage = SolidImage(QColor(0, 0, 255));
        bar.Progress = progress;
        return bar.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    }
};

TEST_P(ProgressTest, FillIsRevealedFromTheLeftOverTheTrack) {
    const ProgressCase c = GetParam();
    const QImage bar = Render(c.progress, c.track);
    const int row = 2;  // inside the half-pixel pad at the top and bottom
    const int filled = static_cast<int>(200 * c.progress);

    // Columns well inside the filled part show the image's own column at the same fraction of
    // its width: revealed, not squeezed.
    for (int x = 4; x < filled - 4; x += 7) {
        const QColor pixel = bar.pixelColor(x, row);
        EXPECT_EQ(pixel.green(), 255) << "x " << x;
        EXPECT_NEAR(pixel.red(), x, 4) << "x " << x;
        EXPECT_EQ(pixel.blue(), 0) << "x " << x;
    }
    // Past the fill: the track when there is one, else nothing at all.
    for (int x = filled + 2; x < 200; x += 7) {
        const QColor pixel = bar.pixelColor(x, row);
        if (c.track) {
            EXPECT_EQ(pixel, QColor(0, 0, 255)) << "x " << x;
        } else {
            EXPECT_EQ(pixel.alpha(), 0) << "x " << x;
        }
    }
    // Nothing below the bar's height (4 design pixels), whatever the control's height.
    EXPECT_EQ(bar.pixelColor(100, 6).alpha(), 0);
}

TEST_F(ProgressTest, FullBarLeavesHalfAPixelOfTrackAtEachEndOnlyWithATrack) {
    for (const bool track : {false, true}) {
        const QImage bar = Render(1.0f, track);
        for (const int x : {0, 199}) {
            const QColor edge = bar.pixelColor(x, 2);
            if (track) {
                // Half track, half fill: the track's blue shows through.
                EXPECT_GT(edge.blue(), 60) << "x " << x;
                EXPECT_LT(edge.green(), 200) << "x " << x;
            } else {
                EXPECT_EQ(edge.green(), 255) << "x " << x;
                EXPECT_EQ(edge.blue(), 0) << "x " << x;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Progress,
                         ProgressTest,
                         ::testing::Values(ProgressCase{0.0f, false},
                                           ProgressCase{0.0f, true},
                                           ProgressCase{0.5f, false},
                                           ProgressCase{0.5f, true},
                                           ProgressCase{1.0f, false},
                                           ProgressCase{1.0f, true}));

TEST(ProgressControl, LoadsTheFillArtwork) {
    CCustomProgress bar;
    bar.LoadFillImage();
    EXPECT_EQ(bar.FillImage, LoadPngResource(artwork::kProgressFill));
    EXPECT_EQ(bar.FillImageWidth, 398);
    EXPECT_EQ(bar.FillImageHeight, 4);
}

// ---- label --------------------------------------------------------------------------------

TEST(LabelControl, DrawsItsTextInItsColourWithoutABackground) {
    CCustomLabel label;
    label.resize(200, 40);
    label.TextColor = 0xFFFF0000;
    label.FontSize = 20;
    label.HAlign = SkinAlign::Far;
    label.SetTextAndRedraw("确定");
    EXPECT_EQ(label.Text(), "确定");
    const QImage image = label.grab().toImage().convertToFormat(QImage::Format_ARGB32);

    int inked = 0;
    int leftHalf = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() == 0)
                continue;
            // Only the text colour is ever drawn: no background, no other colour.
            EXPECT_EQ(pixel.green(), 0);
            EXPECT_EQ(pixel.blue(), 0);
            ++inked;
            leftHalf += x < 100 ? 1 : 0;
        }
    }
    EXPECT_GT(inked, 40);
    EXPECT_EQ(leftHalf, 0) << "right-aligned text stays in the right half";
}

// ---- button -------------------------------------------------------------------------------

class SkinButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        button.resize(60, 20);
        button.NormalImage = SolidImage(QColor(255, 0, 0), 60, 20);
        button.HoverImage = SolidImage(QColor(0, 255, 0), 60, 20);
        button.show();
    }

    void Mouse(QEvent::Type type, const QPoint& local, Qt::MouseButton changed, Qt::MouseButtons held) {
        const QPointF global = button.mapToGlobal(QPointF(local));
        QMouseEvent event(type, QPointF(local), QPointF(local), global, changed, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&button, &event);
    }
    void Press(const QPoint& at) { Mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
    void Release(const QPoint& at) { Mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }
    void Move(const QPoint& at, Qt::MouseButtons held = Qt::NoButton) {
        Mouse(QEvent::MouseMove, at, Qt::NoButton, held);
    }
    void Enter() {
        QEnterEvent event(QPointF(5, 5), QPointF(5, 5), button.mapToGlobal(QPointF(5, 5)));
        QCoreApplication::sendEvent(&button, &event);
    }
    void Leave() {
        QEvent event(QEvent::Leave);
        QCoreApplication::sendEvent(&button, &event);
    }
    QColor Drawn() { return button.grab().toImage().pixelColor(30, 10); }

    CSkinButton button;
};

TEST_F(SkinButtonTest, StateTable) {
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    const QPoint inside(30, 10);
    const QPoint outside(200, 90);
    EXPECT_EQ(button.State, CSkinButton::kNormal);

    Enter();
    EXPECT_EQ(button.State, CSkinButton::kHovered);
    EXPECT_EQ(button.Tracking, 0);
    Move(inside);
    EXPECT_EQ(button.Tracking, 1);
    EXPECT_EQ(button.State, CSkinButton::kHovered);

    Press(inside);
    EXPECT_EQ(button.State, CSkinButton::kPressed);
    Release(inside);
    EXPECT_EQ(button.State, CSkinButton::kNormal);
    EXPECT_EQ(clicks.count(), 1);
    Move(inside);
    EXPECT_EQ(button.State, CSkinButton::kHovered);

    Leave();
    EXPECT_EQ(button.State, CSkinButton::kNormal);
    EXPECT_EQ(button.Tracking, 0);
}

TEST_F(SkinButtonTest, PressAndReleaseOutsideReturnsToNormalUntilTheNextMove) {
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    Enter();
    Move({30, 10});
    Press({30, 10});
    EXPECT_EQ(Drawn(), QColor(0, 255, 0));
    Move({200, 90}, Qt::LeftButton);
    EXPECT_EQ(button.State, CSkinButton::kPressed);
    Release({200, 90});
    EXPECT_EQ(button.State, CSkinButton::kNormal);
    EXPECT_EQ(Drawn(), QColor(255, 0, 0));
    Leave();
    EXPECT_EQ(button.State, CSkinButton::kNormal);
    EXPECT_EQ(clicks.count(), 0) << "a release outside is no click";

    Move({30, 10});
    EXPECT_EQ(button.State, CSkinButton::kHovered);
    EXPECT_EQ(Drawn(), QColor(0, 255, 0));
}

TEST_F(SkinButtonTest, DrawsNormalAndHoverImagesAndNothingWithoutANormalImage) {
    EXPECT_EQ(Drawn(), QColor(255, 0, 0));
    Enter();
    EXPECT_EQ(Drawn(), QColor(0, 255, 0));
    Leave();
    EXPECT_EQ(Drawn(), QColor(255, 0, 0));

    button.NormalImage = QImage();
    Enter();
    EXPECT_EQ(Drawn().alpha(), 0);
}

TEST_F(SkinButtonTest, SameImageForBothStatesLooksTheSameWhenHovered) {
    button.SetImages(artwork::kNewsButton, artwork::kNewsButton);
    button.resize(192, 26);
    const QImage normal = button.grab().toImage();
    Enter();
    EXPECT_EQ(button.State, CSkinButton::kHovered);
    EXPECT_EQ(button.grab().toImage(), normal);
}

TEST_F(SkinButtonTest, CaptionIsCentredInTheTextColour) {
    button.resize(120, 40);
    button.NormalImage = SolidImage(QColor(0, 0, 0), 120, 40);
    button.FontSize = 16;
    button.setText(QStringLiteral("取消"));
    const QImage image = button.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).red() > 128)
                ink |= QRect(x, y, 1, 1);
        }
    }
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.center().x(), 60, 3);
    EXPECT_NEAR(ink.center().y(), 20, 4);
}

}  // namespace
