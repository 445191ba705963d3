#include "ui/CDialogBase.h"
#include "ui/SkinFont.h"

#include <QRawFont>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(SkinFont, SizeStyleAndUnitFromTheSkinSettings) {
    struct Case {
        int size, style, unit;
        float scale;
        int pixels;
        bool bold, italic, underline, strikeOut;
    };
    const Case cases[] = {
        {14, 1, 2, 1.5f, 21, true, false, false, false},   // a 14-pixel label at scale 1.5
        {10, 0, 2, 1.0f, 10, false, false, false, false},  // the controls' default
        {12, 2, 3, 1.0f, 16, false, true, false, false},   // 12 points are 16 pixels at 96 dpi
        {18, 12, 2, 1.3333334f, 24, false, false, true, true},
        {1, 0, 5, 1.0f, 1, false, false, false, false},  // never below one pixel
    };
    for (const Case& c : cases) {
        const QFont font = MakeSkinFont("宋体", c.size, static_cast<SkinFontStyle>(c.style),
                                        static_cast<SkinFontUnit>(c.unit), c.scale);
        EXPECT_EQ(font.pixelSize(), c.pixels) << c.size << " in unit " << c.unit;
        EXPECT_EQ(font.bold(), c.bold);
        EXPECT_EQ(font.italic(), c.italic);
        EXPECT_EQ(font.underline(), c.underline);
        EXPECT_EQ(font.strikeOut(), c.strikeOut);
    }
}

TEST(SkinFont, FamilyListEndsWithTheInstalledCjkFamily) {
    const QStringList families = MakeSkinFont("微软雅黑", 10, kFontRegular, SkinFontUnit::Pixel, 1.0f).families();
    ASSERT_EQ(families.size(), 2);
    EXPECT_EQ(families.front(), QStringLiteral("微软雅黑"));
    EXPECT_EQ(families.back(), QString::fromUtf8(kFallbackFontFamily));
    EXPECT_EQ(MakeSkinFont(kFallbackFontFamily, 10, kFontRegular, SkinFontUnit::Pixel, 1.0f).families().size(), 1);
}

// Every glyph of the launcher's Chinese texts must come from the font the controls actually get,
// for both faces the artwork names, so no text is drawn as empty boxes.
TEST(SkinFont, NoGlyphOfTheChineseTextsIsMissing) {
    std::vector<std::string> texts = QuitQuestionTexts();
    texts.insert(texts.end(), {"确定", "取消", "退出", "重试", "游戏初始化中...", "获取游戏更新地址...",
                               "美女指挥官正在为您调配游戏资源...", "无法完成游戏资源更新，未配置更新地址!",
                               "Launcher更新完成,准备重启Launcher!", "重启Launcher失败，参数错误"});
    for (const char* face : {"宋体", "微软雅黑"}) {
        for (SkinFontStyle style : {kFontRegular, kFontBold}) {
            const QRawFont raw = QRawFont::fromFont(MakeSkinFont(face, 14, style, SkinFontUnit::Pixel, 1.0f));
            ASSERT_TRUE(raw.isValid()) << face;
            for (const std::string& text : texts) {
                const QString characters = QString::fromStdString(text);
                for (const uint ucs4 : characters.toUcs4()) {
                    if (ucs4 == ' ')
                        continue;
                    EXPECT_TRUE(raw.supportsCharacter(ucs4)) << face << " (" << raw.familyName().toStdString()
                                                             << ") lacks U+" << std::hex << ucs4 << " of " << text;
                }
            }
        }
    }
}

}  // namespace
