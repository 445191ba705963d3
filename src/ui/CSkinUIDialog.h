#pragma once

#include "ui/CDialogBase.h"
#include "ui/UIDataBase.h"

#include <QImage>

#include <memory>

// A content dialog that lives inside a frame (its LinkedDialog): it paints the part of the
// frame's artwork it covers, so frame and content look like one window, and it moves with the
// frame. It owns the data record it shows.
class CSkinUIDialog : public CDialogBase {
    Q_OBJECT

public:
    explicit CSkinUIDialog(QWidget* parent = nullptr);
    ~CSkinUIDialog() override;

    // Replaces the background image; it is stretched over the whole content.
    void SetBackgroundImage(const QImage& image) override;
    const QImage& BackgroundImage() const { return background_; }

    void SetData(std::unique_ptr<UIDataBase> record);
    const UIDataBase* Data() const { return data_.get(); }

    // Brings the content to the front and re-synchronises it with its frame.
    void OnShown() override;
    // Paints the content; here the background image.
    virtual void PaintContent(QPainter& painter);
    // Called when the content has been resized: re-synchronises it with its frame.
    virtual void OnResized();
    virtual bool ShouldPaintBackground() const { return true; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage background_;
    std::unique_ptr<UIDataBase> data_;
};
