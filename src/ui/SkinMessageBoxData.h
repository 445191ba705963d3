#pragma once

#include "ui/UIDataBase.h"

#include <string>
#include <utility>

// One question for the skinned message box.
class SkinMessageBoxData : public UIDataBase {
public:
    SkinMessageBoxData(std::string text,
                       int style,
                       std::string firstButtonText,
                       std::string secondButtonText,
                       int emphasis)
        : Text(std::move(text)),
          Style(style),
          FirstButtonText(std::move(firstButtonText)),
          SecondButtonText(std::move(secondButtonText)),
          Emphasis(emphasis) {}

    std::string Text;
    // One button for exactly 0, 16, 32, 48, 64 and 0x4000; two for every other value.
    int Style = 0;
    // Empty means "确定".
    std::string FirstButtonText;
    // Empty means "取消".
    std::string SecondButtonText;
    // Non-zero: first button blue, second gold; zero: the other way round.
    int Emphasis = 0;

    bool HasOneButton() const {
        return Style == 0 || Style == 16 || Style == 32 || Style == 48 || Style == 64 || Style == 0x4000;
    }
};
