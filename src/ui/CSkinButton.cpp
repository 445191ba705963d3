#include "ui/CSkinButton.h"

#include "ui/PngResources.h"
#include "ui/SkinFont.h"
#include "ui/UiScale.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

CSkinButton::CSkinButton(QWidget* parent) : QPushButton(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
    setAutoDefault(false);
    setFlat(true);
}

CSkinButton::~CSkinButton() = default;

void CSkinButton::SetImages(int normalPngId, int hoverPngId) {
    NormalImage = LoadPngResource(normalPngId);
    HoverImage = LoadPngResource(hoverPngId);
    update();
}

void CSkinButton::SetState(int state) {
    State = state;
    update();
}

void CSkinButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && State != kPressed)
        SetState(kPressed);
    QPushButton::mousePressEvent(event);
}

void CSkinButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && State != kNormal)
        SetState(kNormal);
    QPushButton::mouseReleaseEvent(event);
}

void CSkinButton::mouseMoveEvent(QMouseEvent* event) {
    if (Tracking == 0)
        Tracking = 1;
    if (State == kNormal)
        SetState(kHovered);
    QPushButton::mouseMoveEvent(event);
}

void CSkinButton::enterEvent(QEnterEvent* event) {
    if (State == kNormal) {
        SetState(kHovered);
        Tracking = 0;
    }
    QPushButton::enterEvent(event);
}

void CSkinButton::leaveEvent(QEvent* event) {
    if (State != kNormal) {
        SetState(kNormal);
        Tracking = 0;
    }
    QPushButton::leaveEvent(event);
}

void CSkinButton::paintEvent(QPaintEvent*) {
    if (NormalImage.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.drawImage(QRectF(rect()), State == kNormal ? NormalImage : HoverImage);

    const QString caption = text();
    if (caption.isEmpty())
        return;
    const QFont font = MakeSkinFont(FontFace, FontSize, FontStyle, FontUnit, GetUiScale());
    const QFontMetricsF metrics(font);
    const QSizeF textSize(metrics.horizontalAdvance(caption), metrics.height());
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(TextColor));
    painter.drawText(QRectF(QPointF((width() - textSize.width()) / 2, (height() - textSize.height()) / 2), textSize),
                     Qt::AlignLeft | Qt::AlignTop, caption);
}
