#include "ui/SkinFont.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

double DesignPixelsPerUnit(int unit) {
    switch (unit) {
        case 3:
            return 96.0 / 72.0;
        case 4:
            return 96.0;
        case 5:
            return 96.0 / 300.0;
        case 6:
            return 96.0 / 25.4;
        default:
            return 1.0;
    }
}

}  // namespace

QFont MakeSkinFont(const std::string& face, int size, int style, int unit, float scale) {
    QStringList families;
    const QString fallback = QString::fromUtf8(kFallbackFontFamily);
    if (!face.empty() && QString::fromStdString(face) != fallback)
        families << QString::fromStdString(face);
    families << fallback;

    QFont font;
    font.setFamilies(families);
    const double pixels = size * DesignPixelsPerUnit(unit) * static_cast<double>(scale);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    font.setBold((style & 1) != 0);
    font.setItalic((style & 2) != 0);
    font.setUnderline((style & 4) != 0);
    font.setStrikeOut((style & 8) != 0);
    return font;
}
