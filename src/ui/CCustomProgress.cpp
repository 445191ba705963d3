#include "ui/CCustomProgress.h"

#include "res/ArtworkCatalog.h"
#include "ui/PngResources.h"
#include "ui/UiScale.h"

#include <QPainter>

CCustomProgress::CCustomProgress(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

CCustomProgress::~CCustomProgress() = default;

void CCustomProgress::LoadFillImage() {
    FillImage = LoadPngResource(artwork::kProgressFill);
    FillImageWidth = FillImage.width();
    FillImageHeight = FillImage.height();
}

void CCustomProgress::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Antialiased, so the half-pixel pad shows as half-covered edge pixels.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const double scale = GetUiScale();
    const double barHeight = FillImageHeight * scale;

    // With a track the fill sits half a pixel inside it, so a full bar still shows the track's
    // edge at both ends.
    double pad = 0.0;
    if (!TrackImage.isNull()) {
        painter.drawImage(QRectF(0, 0, width(), barHeight), TrackImage);
        pad = 0.5;
    }
    if (FillImage.isNull() || Progress <= 0.0f)
        return;
    const double progress = Progress;
    const QRectF source(0, 0, FillImageWidth * progress, FillImageHeight);
    const QRectF target(pad, pad, (width() - 2 * pad) * progress, barHeight - 2 * pad * scale);
    painter.drawImage(target, FillImage, source);
}
