#pragma once

#include <QLabel>

#include <cstdint>
#include <string>

// A text label drawn with the skin's font settings, without a background of its own: the owner's
// painting shows through around the glyphs. The owner writes the fields and sets the text.
class CCustomLabel : public QLabel {
    Q_OBJECT

public:
    explicit CCustomLabel(QWidget* parent = nullptr);
    ~CCustomLabel() override;

    std::string FontFace = "宋体";
    // Em size before scaling, in FontUnit (2: pixels).
    int FontSize = 10;
    // 1 bold, 2 italic, 4 underline, 8 strike-out.
    int FontStyle = 0;
    int FontUnit = 2;
    // ARGB, alpha in the top byte.
    uint32_t TextColor = 0xFFFFFFFF;
    // 0 near (left / top), 1 centre, 2 far (right / bottom).
    int HAlign = 0;
    int VAlign = 0;

    // Sets the text (UTF-8) and repaints the label.
    void SetTextAndRedraw(const std::string& text);
    std::string Text() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Qt alignment flags for the skin's 0 near / 1 centre / 2 far values.
Qt::Alignment SkinAlignment(int horizontal, int vertical);
