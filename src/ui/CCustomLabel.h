#pragma once

#include "ui/SkinFont.h"

#include <QLabel>

#include <cstdint>
#include <string>

// Where a label's text lies along one axis.
enum class SkinAlign : int {
    Near = 0,  // left or top
    Centre = 1,
    Far = 2,  // right or bottom
};

// A text label drawn with the skin's font settings, without a background of its own: the owner's
// painting shows through around the glyphs. The owner writes the fields and sets the text.
class CCustomLabel : public QLabel {
    Q_OBJECT

public:
    explicit CCustomLabel(QWidget* parent = nullptr);
    ~CCustomLabel() override;

    std::string FontFace = "宋体";
    // Em size before scaling, in FontUnit.
    int FontSize = 10;
    SkinFontStyle FontStyle = kFontRegular;
    SkinFontUnit FontUnit = SkinFontUnit::Pixel;
    // ARGB, alpha in the top byte.
    uint32_t TextColor = 0xFFFFFFFF;
    SkinAlign HAlign = SkinAlign::Near;
    SkinAlign VAlign = SkinAlign::Near;

    // Set for a text that must never be cut (a question): its lines are balanced, so the last one
    // is never a stray character, and the font steps down, to two thirds of FontSize at most,
    // while the text is taller than the label.
    bool FitText = false;

    // Sets the text (UTF-8) and repaints the label.
    void SetTextAndRedraw(const std::string& text);
    std::string Text() const;

    // The label's font at `scale`, before any fitting.
    QFont SkinFont(float scale) const;
    // The alignment and wrapping flags the text is drawn with.
    int TextFlags() const;
    // The font and the rectangle (label coordinates) the text is drawn with.
    QFont DrawnFont() const;
    QRect DrawnRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect DrawnRect(const QFont& font) const;
};

// Qt alignment flags for the skin's alignments.
Qt::Alignment SkinAlignment(SkinAlign horizontal, SkinAlign vertical);
