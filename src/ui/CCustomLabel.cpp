#include "ui/CCustomLabel.h"

#include "ui/SkinFont.h"
#include "ui/UiScale.h"

#include <QColor>
#include <QPainter>

#include <algorithm>

CCustomLabel::CCustomLabel(QWidget* parent) : QLabel(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

CCustomLabel::~CCustomLabel() = default;

void CCustomLabel::SetTextAndRedraw(const std::string& text) {
    setText(QString::fromStdString(text));
    update();
}

std::string CCustomLabel::Text() const {
    return text().toStdString();
}

Qt::Alignment SkinAlignment(SkinAlign horizontal, SkinAlign vertical) {
    Qt::Alignment alignment;
    alignment |= horizontal == SkinAlign::Centre ? Qt::AlignHCenter
                 : horizontal == SkinAlign::Far  ? Qt::AlignRight
                                                 : Qt::AlignLeft;
    alignment |= vertical == SkinAlign::Centre ? Qt::AlignVCenter
                 : vertical == SkinAlign::Far  ? Qt::AlignBottom
                                               : Qt::AlignTop;
    return alignment;
}

QFont CCustomLabel::SkinFont(float scale) const {
    return MakeSkinFont(FontFace, FontSize, FontStyle, FontUnit, scale);
}

int CCustomLabel::TextFlags() const {
    return static_cast<int>(SkinAlignment(HAlign, VAlign)) | Qt::TextWordWrap;
}

QFont CCustomLabel::DrawnFont() const {
    QFont font = SkinFont(GetUiScale());
    if (!FitText)
        return font;
    const int smallest = std::max(1, font.pixelSize() * 2 / 3);
    while (font.pixelSize() > smallest && WrappedTextHeight(font, width(), TextFlags(), text()) > height())
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

QRect CCustomLabel::DrawnRect() const {
    return DrawnRect(DrawnFont());
}

QRect CCustomLabel::DrawnRect(const QFont& font) const {
    if (!FitText || text().isEmpty())
        return rect();
    // The narrowest width that keeps the number of lines: every line about as long as the others.
    const int lines = WrappedTextHeight(font, width(), TextFlags(), text());
    int narrow = 1;
    int wide = width();
    while (narrow < wide) {
        const int middle = (narrow + wide) / 2;
        if (WrappedTextHeight(font, middle, TextFlags(), text()) > lines)
            narrow = middle + 1;
        else
            wide = middle;
    }
    QRect drawn = rect();
    if (HAlign == SkinAlign::Centre)
        drawn.setLeft((width() - wide) / 2);
    else if (HAlign == SkinAlign::Far)
        drawn.setLeft(width() - wide);
    drawn.setWidth(wide);
    return drawn;
}

void CCustomLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QFont font = DrawnFont();
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(TextColor));
    painter.setClipRect(rect());
    painter.drawText(DrawnRect(font), TextFlags(), text());
}
