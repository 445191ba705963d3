#include "DemoForeground.h"

#include "res/ArtworkCatalog.h"
#include "ui/CCustomLabel.h"
#include "ui/CCustomProgress.h"
#include "ui/CSkinButton.h"
#include "ui/PngResources.h"
#include "ui/UiScale.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRegion>

#include <cstdio>
#include <string>

DemoForeground::DemoForeground(QWidget* parent)
    : CDialogBase(parent),
      progress_(new CCustomProgress(this)),
      status_(new CCustomLabel(this)),
      stage_(new CCustomLabel(this)),
      minimize_(new CSkinButton(this)),
      close_(new CSkinButton(this)),
      news_(new CSkinButton(this)) {
    InsetLeft = 200;
}

QRect DemoForeground::Band() {
    return ScaledRect(0, 103, 987, 350);
}

void DemoForeground::OnInitDialog() {
    progress_->LoadFillImage();
    progress_->TrackImage = LoadPngResource(artwork::kProgressTrack);
    progress_->setGeometry(ScaledRect(130, 328, 530, 346));
    for (CCustomLabel* label : {status_, stage_}) {
        label->FontSize = 14;
        label->TextColor = 0xFFE3F7FF;
    }
    status_->HAlign = SkinAlign::Far;
    status_->setGeometry(ScaledRect(130, 333, 530, 348));
    stage_->setGeometry(ScaledRect(530, 323, 730, 338));
    stage_->SetTextAndRedraw("美女指挥官正在为您调配游戏资源...");

    minimize_->SetImages(artwork::kMinimizeButton, artwork::kMinimizeButtonHover);
    minimize_->setGeometry(ScaledRect(715, 104, 749, 144));
    close_->SetImages(artwork::kCloseButton, artwork::kCloseButtonHover);
    close_->setGeometry(ScaledRect(756, 107, 784, 135));
    news_->SetImages(artwork::kNewsButton, artwork::kNewsButton);
    news_->setGeometry(ScaledRect(580, 115, 708, 133));

    connect(minimize_, &QAbstractButton::clicked, this,
            [this] { (LinkedDialog ? static_cast<QWidget*>(LinkedDialog) : this)->showMinimized(); });
    connect(close_, &QAbstractButton::clicked, this, [this] { close(); });
    connect(news_, &QAbstractButton::clicked, this, [this] {
        ShowMessage(nullptr, "官方网站将在浏览器中打开。", MessageBoxStyle::OneButton, "", "",
                    ButtonEmphasis::FirstGold);
    });
    SetProgress(0.3f);
}

void DemoForeground::SetProgress(float progress) {
    progress_->Progress = progress;
    progress_->update();
    const double totalMegabytes = 401.7;
    char sizes[64];
    std::snprintf(sizes, sizeof sizes, "%.1fMB/%.1fMB", totalMegabytes * progress, totalMegabytes);
    status_->SetTextAndRedraw(std::string("2.46MB/s  剩余 00:01:54  ") + sizes);
}

void DemoForeground::SetBackgroundImage(const QImage& image) {
    artwork_ = image;
    update();
}

void DemoForeground::paintEvent(QPaintEvent*) {
    if (artwork_.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(0, 0, Scaled(artwork_.width()), Scaled(artwork_.height())), artwork_);
}

void DemoForeground::resizeEvent(QResizeEvent* event) {
    CDialogBase::resizeEvent(event);
    if (QGuiApplication::platformName() != QStringLiteral("offscreen"))
        setMask(QRegion(Band()));
    if (LinkedDialog)
        LinkedDialog->MoveGroupBy(0, 0);
}
