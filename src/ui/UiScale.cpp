#include "ui/UiScale.h"

#include <QGuiApplication>
#include <QScreen>

float ComputeUiScale(double logicalDpi, int screenWidth) {
    float factor = 1.0f;
    if (logicalDpi != 96.0) {
        factor = static_cast<float>(logicalDpi / 96.0);
    } else if (screenWidth < 757 || screenWidth > 1920) {
        factor = static_cast<float>(screenWidth) / 1920.0f;
    }
    return factor > 0.0f ? factor : 1.0f;
}

float GetUiScale() {
    static float cached = 0.0f;
    if (cached == 0.0f) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        cached = screen ? ComputeUiScale(screen->logicalDotsPerInchX(), screen->geometry().width()) : 1.0f;
    }
    return cached;
}

int ScaleDesignPixels(int designPixels, float factor) {
    return static_cast<int>(static_cast<float>(designPixels) * factor);
}

int Scaled(int designPixels) {
    return ScaleDesignPixels(designPixels, GetUiScale());
}

QRect ScaledRect(int left, int top, int right, int bottom) {
    return ScaledRect(left, top, right, bottom, GetUiScale());
}

QRect ScaledRect(int left, int top, int right, int bottom, float factor) {
    const int x = ScaleDesignPixels(left, factor);
    const int y = ScaleDesignPixels(top, factor);
    return QRect(x, y, ScaleDesignPixels(right, factor) - x, ScaleDesignPixels(bottom, factor) - y);
}
