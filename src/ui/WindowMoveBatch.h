#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <vector>

// The new positions of a window group, gathered first and then applied together, so every window
// of the group moves by the same step and none is left behind when one of them is missing.
class WindowMoveBatch {
public:
    // Adds `window` at `position` (screen coordinates, size and stacking kept). A null window
    // (one that does not exist yet) is left out.
    void Add(QWidget* window, const QPoint& position);
    // Moves every window that still exists to its position.
    void Apply();

private:
    struct Move {
        QPointer<QWidget> window;
        QPoint position;
    };
    std::vector<Move> moves_;
};
