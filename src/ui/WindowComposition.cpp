#include "ui/WindowComposition.h"

#include <QPainter>
#include <QWidget>

WindowComposition::WindowComposition(const QRect& area)
    : area_(area), image_(area.size(), QImage::Format_ARGB32_Premultiplied) {
    image_.fill(Qt::transparent);
}

void WindowComposition::Add(QWidget* window, const QRect& visible) {
    QPainter painter(&image_);
    const QPoint at = window->pos() - area_.topLeft();
    if (!visible.isNull())
        painter.setClipRect(visible.translated(at));
    painter.drawPixmap(at, window->grab());
}
