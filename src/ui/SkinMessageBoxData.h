#pragma once

#include "ui/MessageBoxStyle.h"
#include "ui/UIDataBase.h"

#include <string>
#include <utility>

// One question for the skinned message box.
class SkinMessageBoxData : public UIDataBase {
public:
    SkinMessageBoxData(std::string text,
                       MessageBoxStyle style,
                       std::string firstButtonText,
                       std::string secondButtonText,
                       ButtonEmphasis emphasis)
        : Text(std::move(text)),
          Style(style),
          FirstButtonText(std::move(firstButtonText)),
          SecondButtonText(std::move(secondButtonText)),
          Emphasis(emphasis) {}

    std::string Text;
    MessageBoxStyle Style = MessageBoxStyle::OneButton;
    // Empty means "确定".
    std::string FirstButtonText;
    // Empty means "取消".
    std::string SecondButtonText;
    ButtonEmphasis Emphasis = ButtonEmphasis::FirstGold;

    // One button for exactly 0, 16, 32, 48, 64 and 0x4000 (no button bits, only an icon or help
    // bit); two for every other value.
    bool HasOneButton() const {
        switch (static_cast<int>(Style)) {
            case 0:
            case 16:
            case 32:
            case 48:
            case 64:
            case 0x4000:
                return true;
            default:
                return false;
        }
    }
};
