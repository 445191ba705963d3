#include "ui/CCustomLabel.h"

#include "ui/SkinFont.h"
#include "ui/UiScale.h"

#include <QColor>
#include <QPainter>

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

void CCustomLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(MakeSkinFont(FontFace, FontSize, FontStyle, FontUnit, GetUiScale()));
    painter.setPen(QColor::fromRgba(TextColor));
    painter.setClipRect(rect());
    painter.drawText(rect(), static_cast<int>(SkinAlignment(HAlign, VAlign)) | Qt::TextWordWrap, text());
}
