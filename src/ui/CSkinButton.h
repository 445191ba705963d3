#pragma once

#include "ui/SkinFont.h"

#include <QImage>
#include <QPushButton>

#include <cstdint>
#include <string>

// A button drawn from two images, normal and hover (pressed looks like hover), with its caption
// centred on top. Clicks reach the owner as the ordinary clicked() signal.
//
// State table (every change repaints; Qt's own button handling still runs):
//   left button down     State != 2          -> 2
//   left button up       State != 1          -> 1   (also when released outside the button)
//   mouse move           Tracking == 0       -> Tracking := 1 (enter and leave are reported)
//   mouse move           State == 1          -> 3
//   mouse enters         State == 1          -> 3, Tracking := 0
//   mouse leaves         State != 1          -> 1, Tracking := 0
class CSkinButton : public QPushButton {
    Q_OBJECT

public:
    explicit CSkinButton(QWidget* parent = nullptr);
    ~CSkinButton() override;

    static constexpr int kNormal = 1;
    static constexpr int kPressed = 2;
    static constexpr int kHovered = 3;

    QImage NormalImage;
    QImage HoverImage;
    std::string FontFace = "微软雅黑";
    int FontSize = 10;
    SkinFontStyle FontStyle = kFontRegular;
    SkinFontUnit FontUnit = SkinFontUnit::Pixel;
    uint32_t TextColor = 0xFFFFFFFF;
    int Tracking = 0;
    int State = kNormal;

    // Loads the two PNG resources, replacing both images.
    void SetImages(int normalPngId, int hoverPngId);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void SetState(int state);
};
