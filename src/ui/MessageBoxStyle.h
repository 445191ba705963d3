#pragma once

// The words of a question in a skinned message box.

// Which buttons a box shows. The values are the system's message-box style numbers, so a style
// carrying only an icon or help bit (16, 32, 48, 64, 0x4000) shows one button like OneButton, and
// every other value shows two.
enum class MessageBoxStyle : int {
    OneButton = 0,     // "确定"
    TwoButtons = 1,    // "确定" and "取消", or the texts given
    QuitQuestion = 4,  // the group's quit question: "退出" and "取消"
};

// Which button ended the box.
enum class MessageBoxAnswer : int {
    First = 1,   // the left button, and the only one of a one-button box
    Second = 7,  // the right button, or the box closed by the window manager
};

// Which button is drawn in which colour.
enum class ButtonEmphasis : int {
    FirstGold = 0,  // the first button gold, the second blue
    FirstBlue = 1,  // the first button blue, the second gold
};
