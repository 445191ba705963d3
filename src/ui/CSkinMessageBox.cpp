#include "ui/CSkinMessageBox.h"

#include "res/ArtworkCatalog.h"
#include "ui/CCustomLabel.h"
#include "ui/CSkinButton.h"
#include "ui/SkinMessageBoxData.h"
#include "ui/UiScale.h"

namespace {

constexpr int kCaptionFontSize = 16;

}  // namespace

CSkinMessageBox::CSkinMessageBox(QWidget* parent)
    : CSkinUIDialog(parent),
      firstButton_(new CSkinButton(this)),
      secondButton_(new CSkinButton(this)),
      label_(new CCustomLabel(this)) {
    InsetLeft = 20;
    InsetTop = 18;
    InsetRight = 20;
    InsetBottom = 18;
    firstButton_->setObjectName(QStringLiteral("1008"));
    secondButton_->setObjectName(QStringLiteral("1009"));
    label_->setObjectName(QStringLiteral("1010"));
    connect(firstButton_, &QAbstractButton::clicked, this, [this] { Answer(MessageBoxAnswer::First); });
    connect(secondButton_, &QAbstractButton::clicked, this, [this] { Answer(MessageBoxAnswer::Second); });
}

CSkinMessageBox::~CSkinMessageBox() = default;

void CSkinMessageBox::OnInitDialog() {
    // Closing a box must never ask the quit question.
    ConfirmClose = false;
    SetConfirmCloseChain(LinkedDialog, false);

    const SkinMessageBoxData* question = Question();
    if (question) {
        label_->TextColor = 0xFFB0DBFF;
        label_->FontSize = 18;
        label_->FontStyle = kFontBold;
        label_->HAlign = SkinAlign::Centre;
        label_->VAlign = SkinAlign::Centre;
        label_->FitText = true;
        label_->SetTextAndRedraw(question->Text);
    }
    const std::string first = question ? question->FirstButtonText : std::string();
    const std::string second = question ? question->SecondButtonText : std::string();
    firstButton_->setText(QString::fromStdString(first.empty() ? "确定" : first));
    secondButton_->setText(QString::fromStdString(second.empty() ? "取消" : second));
    // Captions a player reads at a glance on the 130 x 36 buttons.
    for (CSkinButton* button : {firstButton_, secondButton_}) {
        button->FontSize = kCaptionFontSize;
        button->FontStyle = kFontBold;
    }

    if (question && question->Emphasis == ButtonEmphasis::FirstBlue) {
        firstButton_->SetImages(artwork::kBlueButton, artwork::kBlueButtonHover);
        secondButton_->SetImages(artwork::kGoldButton, artwork::kGoldButtonHover);
    } else {
        firstButton_->SetImages(artwork::kGoldButton, artwork::kGoldButtonHover);
        secondButton_->SetImages(artwork::kBlueButton, artwork::kBlueButtonHover);
    }

    label_->setGeometry(ScaledRect(9, 12, 305, 80));
    firstButton_->setGeometry(ScaledRect(12, 91, 149, 138));
    secondButton_->setGeometry(ScaledRect(172, 91, 309, 138));
    ArrangeButtons();
}

void CSkinMessageBox::ArrangeButtons() {
    const SkinMessageBoxData* question = Question();
    if (!question || !question->HasOneButton())
        return;
    secondButton_->hide();
    QRect placed = firstButton_->geometry();
    placed.moveLeft((width() - placed.width()) / 2);
    firstButton_->setGeometry(placed);
}

void CSkinMessageBox::OnShown() {
    CSkinUIDialog::OnShown();
    ArrangeButtons();
}

void CSkinMessageBox::OnResized() {
    CSkinUIDialog::OnResized();
    ArrangeButtons();
}

const SkinMessageBoxData* CSkinMessageBox::Question() const {
    return dynamic_cast<const SkinMessageBoxData*>(Data());
}

void CSkinMessageBox::Answer(MessageBoxAnswer answer) {
    if (LinkedDialog)
        LinkedDialog->done(static_cast<int>(answer));
}
