#include "ui/PngResources.h"

#include <QString>

QImage LoadPngResource(int resourceId) {
    const QImage image(QStringLiteral(":/png/%1.png").arg(resourceId), "PNG");
    if (image.isNull())
        return {};
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage LoadPngRegion(int resourceId, int x, int y, int width, int height) {
    QImage image = LoadPngResource(resourceId);
    if (image.isNull() || width == 0 || height == 0)
        return image;
    return image.copy(x, y, width, height);
}
