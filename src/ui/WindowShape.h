#pragma once

#include <QImage>
#include <QRect>

class QWidget;

// Shaping the launcher's borderless windows. Where a compositing manager blends windows with
// what lies beneath them, transparent pixels of the artwork are transparent on screen and their
// edges stay smooth; without one (a bare X11 server) transparent pixels would show black, so the
// windows are then cut to their artwork's outline instead. User-interface thread only.

// Whether a compositing manager runs: on X11 the owner of the selection _NET_WM_CM_S0; Wayland,
// Windows and macOS always compose; the headless platforms never do.
bool CompositorRunning();

// Shapes `window`: only `visible` (window coordinates; null for all of it) shows and takes the
// mouse and, without a compositor, only the pixels that `artwork` (drawn at the window's origin)
// does not leave fully transparent. Does nothing on the headless platforms, which cannot shape
// windows.
void ShapeWindow(QWidget* window, const QImage& artwork, const QRect& visible = QRect());
