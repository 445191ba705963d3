#include "ui/CFlashDialog.h"

#include "res/ArtworkCatalog.h"
#include "ui/PngResources.h"
#include "ui/UiScale.h"

#include <QEventLoop>
#include <QPainter>

#include <utility>

namespace {

// The window's size in design pixels: small enough that the background's opaque panel covers it
// wholly at its place (278, 119), so no part of it is ever seen beside the artwork.
constexpr int kHostWidth = 460;
constexpr int kHostHeight = 232;

}  // namespace

CFlashDialog::CFlashDialog(CTolmMainBackgroundDialog::ForegroundFactory makeForeground)
    : CDialogBase(nullptr), makeForeground_(std::move(makeForeground)) {
    OffsetX = 278;
    OffsetY = 119;
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
}

CFlashDialog::~CFlashDialog() = default;

int CFlashDialog::DoModal() {
    InitDialog();
    // A loop of our own rather than exec(): exec() would make this window application-modal and
    // could block the group's other windows, which only its own message boxes may do.
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    show();
    if (isVisible())
        loop.exec(QEventLoop::DialogExec);
    return result();
}

void CFlashDialog::OnInitDialog() {
    // The native window first, so the background made below becomes its transient child and
    // stays above it.
    winId();
    resize(Scaled(kHostWidth), Scaled(kHostHeight));
    beneath_ = LoadPngRegion(artwork::kEditionBackground, OffsetX, OffsetY, kHostWidth, kHostHeight);
    setWindowOpacity(0.0);
    firstPaintPending_ = true;
    if (background_)
        return;
    background_ = new CTolmMainBackgroundDialog(makeForeground_, this);
    background_->ParentDialog = this;
    background_->InitDialog();
    background_->show();
    background_->HostWindow = this;
    SetLinkedDialog(background_);
}

void CFlashDialog::MoveGroupBy(int dx, int dy) {
    if (LinkedDialog)
        LinkedDialog->MoveGroupBy(dx, dy);
}

void CFlashDialog::paintEvent(QPaintEvent*) {
    // Qt has no separate erase step: the first paint also stands for the first erase.
    if (!foregroundRequested_ && background_) {
        foregroundRequested_ = true;
        background_->CreateForeground();
        background_->MoveGroupBy(0, 0);
        // The host lies beneath the whole group, also where no window manager stacks it.
        lower();
    }

    // Normally hidden under the background; should any of it show, it shows the artwork that
    // would be there.
    if (!beneath_.isNull()) {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(rect()), beneath_);
    }

    if (firstPaintPending_) {
        firstPaintPending_ = false;
        setWindowOpacity(1.0);
    }
}

void CFlashDialog::resizeEvent(QResizeEvent* event) {
    CDialogBase::resizeEvent(event);
    MoveGroupBy(0, 0);
}
