#pragma once

#include <QFont>
#include <QString>

#include <string>

// The family that draws every Chinese glyph on this system; it ends every font's family list, so
// a face that is not installed (the artwork's "宋体", "微软雅黑") never leaves a glyph missing.
inline constexpr const char* kFallbackFontFamily = "WenQuanYi Micro Hei";

// Style bits of a skin font; they combine.
enum SkinFontStyle : int {
    kFontRegular = 0,
    kFontBold = 1,
    kFontItalic = 2,
    kFontUnderline = 4,
    kFontStrikeOut = 8,
};

// The unit of a skin font's em size, at 96 dpi; World and DisplayUnit are taken as pixels.
enum class SkinFontUnit : int {
    World = 0,
    DisplayUnit = 1,
    Pixel = 2,
    Point = 3,
    Inch = 4,
    Document = 5,
    Millimetre = 6,
};

// A font for the skinned controls from their settings: `face`, an em size `size` in `unit`,
// `style`, multiplied by `scale`. Sizes become whole pixels, at least 1.
QFont MakeSkinFont(const std::string& face, int size, SkinFontStyle style, SkinFontUnit unit, float scale);

// The height `text` takes in `font` when wrapped at `width` pixels and drawn with `flags`.
int WrappedTextHeight(const QFont& font, int width, int flags, const QString& text);
