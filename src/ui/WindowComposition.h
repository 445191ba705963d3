#pragma once

#include <QImage>
#include <QRect>

class QWidget;

// One picture of a group of windows as the screen shows them: each window's own rendering at its
// place, later ones on top, optionally clipped to the part of the window that is visible. For
// screenshots and for tests that look at what a player sees.
class WindowComposition {
public:
    // `area` is the part of the screen the picture covers.
    explicit WindowComposition(const QRect& area);

    // Draws `window` at its position; `visible` (window coordinates) clips it when not null.
    void Add(QWidget* window, const QRect& visible = QRect());
    const QImage& Image() const { return image_; }

private:
    QRect area_;
    QImage image_;
};
