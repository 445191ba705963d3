#include "ui/WindowMoveBatch.h"

void WindowMoveBatch::Add(QWidget* window, const QPoint& position) {
    if (window)
        moves_.push_back({window, position});
}

void WindowMoveBatch::Apply() {
    for (const Move& move : moves_) {
        if (move.window && move.window->pos() != move.position)
            move.window->move(move.position);
    }
    moves_.clear();
}
