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
#include "ui/UiScale.h"

#include <QGuiApplication>
#include <QPolygon>
#include <QRegion>

namespace {

constexpr std::uint32_t kLineColor = 0xFFE3F7FF;
constexpr std::uint32_t kSloganColor = 0xFFDEDBD6;

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
    return ScaledRect(0, 103, 987, 350);
}

void CTolmMainForegroundDialog::OnInitDialog() {
    CMainForegroundDialog::OnInitDialog();

    // The offscreen platform cannot clip windows (it only warns); everywhere else the band is all
    // of the window that shows and takes the mouse.
    if (QGuiApplication::platformName() != QStringLiteral("offscreen")) {
        const QRect band = Band();
        setMask(QRegion(QPolygon(band, true), Qt::OddEvenFill));
    }

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
}

void CTolmMainForegroundDialog::LayoutControls() {
    const struct {
        QWidget* control;
        QRect place;
    } layout[] = {
        {ProgressBar(), ScaledRect(130, 328, 530, 346)}, {StatusLabel(), ScaledRect(130, 333, 530, 348)},
        {StageLabel(), ScaledRect(530, 323, 730, 338)},  {slogan_, ScaledRect(276, 185, 721, 249)},
        {minimize_, ScaledRect(715, 104, 749, 144)},     {close_, ScaledRect(756, 107, 784, 135)},
        {spare_, ScaledRect(660, 288, 765, 321)},        {news_, ScaledRect(580, 115, 708, 133)},
    };
    for (const auto& entry : layout) {
        entry.control->setGeometry(entry.place);
        entry.control->update();
    }
}

void CTolmMainForegroundDialog::LoadWindowImage() {}

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
