#pragma once

#include "ui/CDialogBase.h"

#include <QImage>

// A borderless window drawn entirely from a PNG with per-pixel alpha: transparent pixels of the
// artwork are transparent on screen, and `Alpha` fades the whole window on top of that. The
// window always has the artwork's size times the scale factor.
class CLayeredBackgroundDialog : public CDialogBase {
    Q_OBJECT

public:
    // Loads PNG `pngId`; Width and Height become its size scaled. A PNG that cannot be loaded
    // leaves an empty window of size 0 x 0.
    explicit CLayeredBackgroundDialog(int pngId, QWidget* parent = nullptr);
    ~CLayeredBackgroundDialog() override;

    // The PNG resource the window is drawn from.
    int PngId = 0;
    // The window's size: the image's size scaled.
    int Width = 0;
    int Height = 0;
    // Constant opacity 0..255 applied on top of the per-pixel alpha; call RedrawLayered after
    // changing it.
    int Alpha = 255;

    // Redraws the window from its image at Width x Height with Alpha, and gives it that size.
    // A redraw started while one is running is skipped.
    void RedrawLayered();

    // Called when the window has been moved. Does nothing here.
    virtual void OnMoved();
    // Called when the window has been resized: redraws it.
    virtual void OnResized();

    // The image as loaded, in its own pixels.
    const QImage& Image() const { return image_; }

protected:
    // Places `child` inside this window by its PlacementIn and gives it the part of this
    // window's artwork it covers, so the child paints exactly the pixels beneath it.
    void PlaceChild(CDialogBase* child);

    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage image_;
    QImage layer_;
    bool redrawing_ = false;
};
