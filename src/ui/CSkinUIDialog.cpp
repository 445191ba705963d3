#include "ui/CSkinUIDialog.h"

#include <QPainter>

#include <utility>

CSkinUIDialog::CSkinUIDialog(QWidget* parent) : CDialogBase(parent) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
}

CSkinUIDialog::~CSkinUIDialog() = default;

void CSkinUIDialog::SetBackgroundImage(const QImage& image) {
    background_ = image;
    update();
}

void CSkinUIDialog::SetData(std::unique_ptr<UIDataBase> record) {
    data_ = std::move(record);
}

void CSkinUIDialog::OnShown() {
    CDialogBase::OnShown();
    if (LinkedDialog)
        LinkedDialog->MoveGroupBy(0, 0);
}

void CSkinUIDialog::PaintContent(QPainter& painter) {
    if (!ShouldPaintBackground() || background_.isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // One pixel beyond each edge, so no seam shows against the frame after scaling.
    painter.drawImage(QRectF(rect().adjusted(-1, -1, 1, 1)), background_);
}

void CSkinUIDialog::OnResized() {
    if (LinkedDialog)
        LinkedDialog->MoveGroupBy(0, 0);
}

void CSkinUIDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintContent(painter);
}

void CSkinUIDialog::resizeEvent(QResizeEvent* event) {
    CDialogBase::resizeEvent(event);
    OnResized();
}
