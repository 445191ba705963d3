#pragma once

#include <QImage>

// The launcher's PNG artwork by resource number (see res/ArtworkCatalog.h). Images come back
// as premultiplied ARGB; a number that names no resource, or data that does not decode, gives a
// null image of size 0 x 0.
QImage LoadPngResource(int resourceId);

// The same image, or, when width and height are both non-zero, a copy of that rectangle of it
// (in the image's own pixels).
QImage LoadPngRegion(int resourceId, int x, int y, int width, int height);
