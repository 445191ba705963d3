#include "res/ArtworkCatalog.h"
#include "ui/PngResources.h"

#include <QColor>

#include <gtest/gtest.h>

namespace {

TEST(PngResources, EveryImageIsCompiledInAtItsSize) {
    for (const artwork::ArtworkEntry& entry : artwork::ArtworkCatalog()) {
        const QImage image = LoadPngResource(entry.id);
        EXPECT_EQ(image.size(), QSize(entry.width, entry.height)) << entry.id << " " << entry.role;
        EXPECT_TRUE(image.hasAlphaChannel()) << entry.id;
    }
}

TEST(PngResources, UnknownIdGivesAnEmptyImage) {
    EXPECT_TRUE(LoadPngResource(9999).isNull());
    EXPECT_EQ(LoadPngResource(9999).size(), QSize(0, 0));
    EXPECT_TRUE(LoadPngRegion(9999, 0, 0, 10, 10).isNull());
}

TEST(PngResources, RegionIsTheRectangleInImagePixels) {
    const QImage whole = LoadPngResource(artwork::kMessageFrame);
    const QImage middle = LoadPngRegion(artwork::kMessageFrame, 20, 18, 326, 148);
    ASSERT_EQ(middle.size(), QSize(326, 148));
    EXPECT_EQ(middle, whole.copy(20, 18, 326, 148));
    // A zero width or height means the whole image.
    EXPECT_EQ(LoadPngRegion(artwork::kMessageFrame, 20, 18, 0, 148), whole);
    EXPECT_EQ(LoadPngRegion(artwork::kMessageFrame, 20, 18, 326, 0), whole);
}

TEST(PngResources, BackgroundHasAnIrregularOutlineWithTransparentSurroundings) {
    const QImage background = LoadPngResource(artwork::kEditionBackground);
    ASSERT_FALSE(background.isNull());
    const int right = background.width() - 1;
    const int bottom = background.height() - 1;
    for (const QPoint corner : {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom), QPoint(right, bottom)})
        EXPECT_EQ(qAlpha(background.pixel(corner)), 0) << corner.x() << "," << corner.y();
    // The sea-and-sky panel the foreground covers is opaque.
    for (const QPoint inside : {QPoint(300, 200), QPoint(600, 300), QPoint(950, 130)})
        EXPECT_EQ(qAlpha(background.pixel(inside)), 255) << inside.x() << "," << inside.y();
    // The outline is not a rectangle: within the box spanned by the opaque pixels a good part
    // stays transparent (around the wheel's handles, above and below the panel).
    QRect opaqueBox;
    int transparent = 0;
    for (int y = 0; y <= bottom; ++y) {
        for (int x = 0; x <= right; ++x) {
            if (qAlpha(background.pixel(x, y)) == 255)
                opaqueBox |= QRect(x, y, 1, 1);
        }
    }
    for (int y = opaqueBox.top(); y <= opaqueBox.bottom(); ++y) {
        for (int x = opaqueBox.left(); x <= opaqueBox.right(); ++x)
            transparent += qAlpha(background.pixel(x, y)) == 0 ? 1 : 0;
    }
    EXPECT_LT(opaqueBox.left(), 40);
    EXPECT_LT(opaqueBox.top(), 80);
    EXPECT_GT(transparent, opaqueBox.width() * opaqueBox.height() / 10);
}

}  // namespace
