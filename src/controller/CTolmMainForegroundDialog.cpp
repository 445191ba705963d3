#include "controller/CTolmMainForegroundDialog.h"

#include "BuildConfig.h"
#include "base/Base64.h"
#include "notice/DeviceId.h"
#include "notice/OpenInBrowser.h"
#include "platform/CodePage.h"
#include "res/ArtworkCatalog.h"
#include "resources/CResourceManager.h"
#include "shell/GameProcessContract.h"
#include "shell/InstallLocations.h"
#include "ui/CCustomLabel.h"
#include "ui/CCustomProgress.h"
#include "ui/CSkinButton.h"
#include "ui/PngResources.h"
#include "ui/SkinFont.h"
#include "ui/UiScale.h"
#include "ui/WindowShape.h"

#include <QFontMetrics>

#include <algorithm>

namespace {

constexpr std::uint32_t kLineColor = 0xFFE3F7FF;
constexpr std::uint32_t kSloganColor = 0xFFDEDBD6;

// The line labels, in design pixels of this window. The status line ends at the bar's end; the
// stage text starts a little right of it, so the two never run into each other, and may reach
// the frame's inner edge (the artwork's gold frame runs at 779).
constexpr int kStatusLeft = 130;
constexpr int kStatusTop = 333;
constexpr int kStatusRight = 530;
constexpr int kStatusBottom = 348;
constexpr int kStageLeft = 538;
constexpr int kStageTop = 323;
constexpr int kStageRight = 772;
constexpr int kStageBottom = 338;
constexpr int kBandTop = 103;
constexpr int kUnbounded = 1 << 20;
// How the line labels draw: wrapped, from their top-left corner (the status line is right-aligned,
// which changes no size).
constexpr int kLineFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
constexpr int kBandBottom = 350;

}  // namespace

CTolmMainForegroundDialog::CTolmMainForegroundDialog(QWidget* parent)
    : CMainForegroundDialog(parent),
      slogan_(new CCustomLabel(this)),
      minimize_(new CSkinButton(this)),
      close_(new CSkinButton(this)),
      news_(new CSkinButton(this)),
      spare_(new CSkinButton(this)) {
    InsetLeft = 200;
    connect(minimize_, &QAbstractButton::clicked, this,
            [this] { (LinkedDialog ? static_cast<QWidget*>(LinkedDialog) : this)->showMinimized(); });
    // Closing goes through the group's quit question; it never ends the launcher directly.
    connect(close_, &QAbstractButton::clicked, this, [this] { close(); });
    connect(news_, &QAbstractButton::clicked, this, [] { OpenInBrowser(build_config::kNewsUrl); });
}

CTolmMainForegroundDialog::~CTolmMainForegroundDialog() = default;

QRect CTolmMainForegroundDialog::Band() {
    return Band(GetUiScale());
}

QRect CTolmMainForegroundDialog::Band(float scale) {
    return ScaledRect(0, kBandTop, 987, kBandBottom, scale);
}

QRect CTolmMainForegroundDialog::StageLabelPlace(const std::string& text, const QFont& font, float scale) {
    const QRect line = ScaledRect(kStageLeft, kStageTop, kStageRight, kStageBottom, scale);
    const QString shown = QString::fromStdString(text);
    // At least one whole line of the text's glyphs, whatever the design height.
    const int lineHeight = std::max(line.height(), WrappedTextHeight(font, kUnbounded, kLineFlags, shown));
    const int height = std::max(lineHeight, WrappedTextHeight(font, line.width(), kLineFlags, shown));
    const int bottom = line.top() + lineHeight;
    return QRect(line.left(), bottom - height, line.width(), height);
}

QRect CTolmMainForegroundDialog::StatusLabelPlace(const std::string& text, const QFont& font, float scale) {
    const QRect line = ScaledRect(kStatusLeft, kStatusTop, kStatusRight, kStatusBottom, scale);
    const QString shown = QString::fromStdString(text);
    const QRect needed = QFontMetrics(font).boundingRect(QRect(0, 0, kUnbounded, kUnbounded), kLineFlags, shown);
    const int height = std::max(line.height(), needed.height());
    const int left = std::min(line.left(), line.right() + 1 - needed.width());
    // Raised rather than cut where a taller font would reach below the band.
    const int top = std::min(line.top(), Band(scale).bottom() + 1 - height);
    return QRect(left, top, line.right() + 1 - left, height);
}

void CTolmMainForegroundDialog::OnInitDialog() {
    CMainForegroundDialog::OnInitDialog();

    ShapeToBand();
    slogan_->FontSize = 20;
    slogan_->FontStyle = kFontBold;
    slogan_->HAlign = SkinAlign::Near;
    slogan_->VAlign = SkinAlign::Centre;
    slogan_->TextColor = kSloganColor;
    slogan_->SetTextAndRedraw(std::string());

    StatusLabel()->FontSize = 14;
    StatusLabel()->HAlign = SkinAlign::Far;
    StatusLabel()->TextColor = kLineColor;
    StageLabel()->FontSize = 14;
    StageLabel()->HAlign = SkinAlign::Near;
    StageLabel()->TextColor = kLineColor;

    ProgressBar()->TrackImage = LoadPngResource(artwork::kProgressTrack);

    minimize_->SetImages(artwork::kMinimizeButton, artwork::kMinimizeButtonHover);
    close_->SetImages(artwork::kCloseButton, artwork::kCloseButtonHover);
    news_->SetImages(artwork::kNewsButton, artwork::kNewsButton);
    FitLineLabels();
}

void CTolmMainForegroundDialog::LayoutControls() {
    const struct {
        QWidget* control;
        QRect place;
    } layout[] = {
        {ProgressBar(), ScaledRect(130, 328, 530, 346)}, {slogan_, ScaledRect(276, 185, 721, 249)},
        {minimize_, ScaledRect(715, 104, 749, 144)},     {close_, ScaledRect(756, 107, 784, 135)},
        {spare_, ScaledRect(660, 288, 765, 321)},        {news_, ScaledRect(580, 115, 708, 133)},
    };
    for (const auto& entry : layout) {
        entry.control->setGeometry(entry.place);
        entry.control->update();
    }
    FitLineLabels();
}

void CTolmMainForegroundDialog::FitLineLabels() {
    const float scale = GetUiScale();
    CCustomLabel* stage = StageLabel();
    stage->setGeometry(StageLabelPlace(stage->Text(), stage->SkinFont(scale), scale));
    CCustomLabel* status = StatusLabel();
    status->setGeometry(StatusLabelPlace(status->Text(), status->SkinFont(scale), scale));
}

void CTolmMainForegroundDialog::LoadWindowImage() {}

void CTolmMainForegroundDialog::SetBackgroundImage(const QImage& image) {
    CMainForegroundDialog::SetBackgroundImage(image);
    ShapeToBand();
}

void CTolmMainForegroundDialog::ShapeToBand() {
    // The band is all of the window that shows and takes the mouse; clicks elsewhere reach the
    // background. Without a compositor the artwork's outline cuts it further.
    const QImage& artwork = WindowImage();
    ShapeWindow(this, artwork.isNull() ? artwork : artwork.scaled(Scaled(artwork.width()), Scaled(artwork.height())),
                Band());
}

std::string CTolmMainForegroundDialog::BuildLaunchParameters() {
    std::string deviceId;
    GetDeviceId(deviceId);
    const std::string resourceHash = CResourceManager::GetInstance().ComputeResourceHash();
    // The module path already uses forward slashes here; the game reads ENTRANCE as such a path.
    const std::string entrance = GetModulePath();
    const std::string login =
        FormatLoginText(platform::AnsiToText(loginData["auth_key"]), platform::AnsiToText(loginData["uid"]),
                        platform::AnsiToText(loginData["extraInfo"]));
    return FormatLaunchParameters(entrance, deviceId, resourceHash, Base64EncodeBytes(platform::TextToAnsi(login)),
                                  kPlatformNumber);
}

void CTolmMainForegroundDialog::StartGame() {
    OpenGame(BuildLaunchParameters());
}
