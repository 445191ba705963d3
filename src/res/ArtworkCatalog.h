#pragma once

// The launcher's PNG artwork, addressed by resource number. Each image is compiled in as the Qt
// resource ":/png/<id>.png" (library tolm_res); the generator in this folder draws them at the
// sizes listed here, and the window layer loads them with LoadPngResource.

#include <span>

namespace artwork {

inline constexpr int kNewsButton = 102;
inline constexpr int kCloseButton = 130;
inline constexpr int kCloseButtonHover = 131;
inline constexpr int kMinimizeButton = 132;
inline constexpr int kMinimizeButtonHover = 133;
inline constexpr int kEditionBackground = 137;
inline constexpr int kMessageFrame = 138;
inline constexpr int kGoldButton = 139;
inline constexpr int kBlueButton = 140;
inline constexpr int kProgressFill = 141;
inline constexpr int kProgressTrack = 143;
inline constexpr int kGoldButtonHover = 149;
inline constexpr int kBlueButtonHover = 150;

struct ArtworkEntry {
    int id;
    int width;
    int height;
    const char* role;
};

// Every image of the launcher, in id order.
std::span<const ArtworkEntry> ArtworkCatalog();

// The sizes the launcher's icon is drawn at, the hicolor theme's usual ones. Each is compiled in
// as ":/icons/hicolor/<size>x<size>/apps/tolmqrvo.png" and installed under share/icons the same way.
std::span<const int> IconSizes();
inline constexpr const char* kIconFileName = "tolmqrvo.png";

}  // namespace artwork
