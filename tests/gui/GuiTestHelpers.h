#pragma once

// Helpers for driving the skinned windows in tests: answering modal boxes from a zero-delay
// timer, dragging with synthetic mouse events, and a stand-in foreground window.

#include "ui/CDialogBase.h"
#include "ui/CSkinDialog.h"
#include "ui/CSkinMessageBox.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

#include <functional>

namespace guitest {

// Runs `action` once `ready` returns true, checked by a zero-interval timer from whatever event
// loop runs next (a modal box's, the host window's), so a test can act inside a call that waits.
inline void WhenReady(std::function<bool()> ready, std::function<void()> action) {
    auto* timer = new QTimer;
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, ready, action] {
        if (!ready())
            return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start();
}

// Runs `action` with the frame of the next skinned message box as soon as it is the active modal
// window (other than `notThis`).
inline void WhenBoxOpens(std::function<void(CSkinDialog&)> action, const CSkinDialog* notThis = nullptr) {
    auto openBox = [notThis]() -> CSkinDialog* {
        auto* frame = qobject_cast<CSkinDialog*>(QApplication::activeModalWidget());
        return frame && frame != notThis && frame->isVisible() ? frame : nullptr;
    };
    WhenReady([openBox] { return openBox() != nullptr; }, [openBox, action] { action(*openBox()); });
}

inline CSkinMessageBox& MessageBoxOf(CSkinDialog& frame) {
    return *qobject_cast<CSkinMessageBox*>(frame.Content());
}

// Presses the left button on `window` at `local`, moves the cursor by `delta` in two steps and
// releases it there, as a player drags a window.
inline void Drag(QWidget* window, const QPoint& local, const QPoint& delta) {
    const QPoint start = window->mapToGlobal(local);
    auto send = [window](QEvent::Type type, const QPoint& global, Qt::MouseButton button, Qt::MouseButtons buttons) {
        const QPointF localPos = window->mapFromGlobal(QPointF(global));
        QMouseEvent event(type, localPos, localPos, QPointF(global), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &event);
    };
    send(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    const QPoint half(delta.x() / 2, delta.y() / 2);
    send(QEvent::MouseMove, start + half, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseMove, start + delta, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, start + delta, Qt::LeftButton, Qt::NoButton);
}

// Stands in for the edition's foreground window: placed 200 design pixels right of the
// background's corner, it keeps the artwork it is handed.
class StandInForeground : public CDialogBase {
public:
    explicit StandInForeground(QWidget* parent) : CDialogBase(parent) { InsetLeft = 200; }
    void SetBackgroundImage(const QImage& image) override { Artwork = image; }
    QImage Artwork;
};

}  // namespace guitest
