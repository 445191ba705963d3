#pragma once

#include <QImage>
#include <QWidget>

// A progress bar drawn from images: the fill image is revealed from the left (at 50 % the left
// half of the image fills the left half of the bar), over an optional track image.
class CCustomProgress : public QWidget {
    Q_OBJECT

public:
    explicit CCustomProgress(QWidget* parent = nullptr);
    ~CCustomProgress() override;

    // 0.0 .. 1.0; the owner clamps it and calls update().
    float Progress = 0.0f;
    QImage FillImage;
    // Drawn under the fill, stretched to the bar's width, when set.
    QImage TrackImage;
    // The fill image's own size in pixels.
    int FillImageWidth = 0;
    int FillImageHeight = 0;

    // Replaces FillImage with PNG 141 and stores its size.
    void LoadFillImage();

protected:
    void paintEvent(QPaintEvent* event) override;
};
