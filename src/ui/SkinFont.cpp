#include "ui/SkinFont.h"

#include <QFontMetrics>
#include <QRect>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

double DesignPixelsPerUnit(SkinFontUnit unit) {
    switch (unit) {
        case SkinFontUnit::Point:
            return 96.0 / 72.0;
        case SkinFontUnit::Inch:
            return 96.0;
        case SkinFontUnit::Document:
            return 96.0 / 300.0;
        case SkinFontUnit::Millimetre:
            return 96.0 / 25.4;
        default:
            return 1.0;
    }
}

}  // namespace

QFont MakeSkinFont(const std::string& face, int size, SkinFontStyle style, SkinFontUnit unit, float scale) {
    QStringList families;
    const QString fallback = QString::fromUtf8(kFallbackFontFamily);
    if (!face.empty() && QString::fromStdString(face) != fallback)
        families << QString::fromStdString(face);
    families << fallback;

    QFont font;
    font.setFamilies(families);
    const double pixels = size * DesignPixelsPerUnit(unit) * static_cast<double>(scale);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    font.setBold((style & kFontBold) != 0);
    font.setItalic((style & kFontItalic) != 0);
    font.setUnderline((style & kFontUnderline) != 0);
    font.setStrikeOut((style & kFontStrikeOut) != 0);
    return font;
}

int WrappedTextHeight(const QFont& font, int width, int flags, const QString& text) {
    return QFontMetrics(font).boundingRect(QRect(0, 0, width, 1 << 20), flags, text).height();
}
