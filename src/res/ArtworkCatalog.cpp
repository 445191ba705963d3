#include "res/ArtworkCatalog.h"

#include <array>

namespace artwork {
namespace {

constexpr std::array<ArtworkEntry, 13> kEntries{{
    {kNewsButton, 192, 26, "news-page button (same image for both states)"},
    {kCloseButton, 28, 28, "close button, normal"},
    {kCloseButtonHover, 28, 28, "close button, hover"},
    {kMinimizeButton, 34, 40, "minimise button, normal"},
    {kMinimizeButtonHover, 34, 40, "minimise button, hover"},
    {kEditionBackground, 987, 388, "edition background, irregular outline, transparent surroundings"},
    {kMessageFrame, 366, 184, "message box frame"},
    {kGoldButton, 130, 36, "message box button, gold, normal"},
    {kBlueButton, 130, 36, "message box button, blue, normal"},
    {kProgressFill, 398, 4, "progress fill"},
    {kProgressTrack, 398, 4, "progress track"},
    {kGoldButtonHover, 130, 36, "message box button, gold, hover"},
    {kBlueButtonHover, 130, 36, "message box button, blue, hover"},
}};

constexpr std::array<int, 9> kIconSizes{16, 22, 24, 32, 48, 64, 128, 256, 512};

}  // namespace

std::span<const ArtworkEntry> ArtworkCatalog() {
    return kEntries;
}

std::span<const int> IconSizes() {
    return kIconSizes;
}

}  // namespace artwork
