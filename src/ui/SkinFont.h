#pragma once

#include <QFont>

#include <string>

// The family that draws every Chinese glyph on this system; it ends every font's family list, so
// a face that is not installed (the artwork's "宋体", "微软雅黑") never leaves a glyph missing.
inline constexpr const char* kFallbackFontFamily = "WenQuanYi Micro Hei";

// A font for the skinned controls from their settings: `face`, an em size `size` in `unit`
// (0 world and 1 display are taken as pixels, 2 pixel, 3 point, 4 inch, 5 document, 6
// millimetre, all at 96 dpi), style bits `style` (1 bold, 2 italic, 4 underline, 8 strike-out),
// multiplied by `scale`. Sizes become whole pixels, at least 1.
QFont MakeSkinFont(const std::string& face, int size, int style, int unit, float scale);
