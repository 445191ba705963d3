#include "ui/CLayeredBackgroundDialog.h"

#include "ui/PngResources.h"
#include "ui/UiScale.h"
#include "ui/WindowShape.h"

#include <QMouseEvent>
#include <QPainter>

CLayeredBackgroundDialog::CLayeredBackgroundDialog(int pngId, QWidget* parent)
    : CDialogBase(parent), PngId(pngId), image_(LoadPngResource(pngId)) {
    Width = Scaled(image_.width());
    Height = Scaled(image_.height());
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
}

CLayeredBackgroundDialog::~CLayeredBackgroundDialog() = default;

void CLayeredBackgroundDialog::RedrawLayered() {
    if (redrawing_)
        return;
    redrawing_ = true;

    layer_ = QImage();
    if (Width > 0 && Height > 0) {
        layer_ = QImage(Width, Height, QImage::Format_ARGB32_Premultiplied);
        layer_.fill(Qt::transparent);
        QPainter painter(&layer_);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(0, 0, Width, Height), image_);
    }
    resize(Width, Height);
    // The outline stays irregular also where no compositor blends the transparent pixels.
    ShapeWindow(this, layer_);
    update();

    redrawing_ = false;
}

void CLayeredBackgroundDialog::OnMoved() {}

void CLayeredBackgroundDialog::OnResized() {
    RedrawLayered();
}

void CLayeredBackgroundDialog::PlaceChild(CDialogBase* child) {
    const QRect area = child->PlacementIn(size());
    child->setGeometry(QRect(pos() + area.topLeft(), area.size()));
    // The artwork's own pixels under the child: the same rectangle without the scale factor.
    const float scale = GetUiScale();
    const auto unscaled = [scale](int length) { return static_cast<int>(static_cast<float>(length) / scale); };
    child->SetBackgroundImage(
        LoadPngRegion(PngId, unscaled(area.x()), unscaled(area.y()), unscaled(area.width()), unscaled(area.height())));
}

void CLayeredBackgroundDialog::paintEvent(QPaintEvent*) {
    if (layer_.isNull())
        return;
    QPainter painter(this);
    painter.setOpacity(Alpha / 255.0);
    painter.drawImage(0, 0, layer_);
}

void CLayeredBackgroundDialog::moveEvent(QMoveEvent* event) {
    CDialogBase::moveEvent(event);
    OnMoved();
}

void CLayeredBackgroundDialog::resizeEvent(QResizeEvent* event) {
    CDialogBase::resizeEvent(event);
    OnResized();
}

void CLayeredBackgroundDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        raise();
    CDialogBase::mousePressEvent(event);
}
