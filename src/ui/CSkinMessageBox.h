#pragma once

#include "ui/CSkinUIDialog.h"
#include "ui/MessageBoxStyle.h"

class CCustomLabel;
class CSkinButton;
class SkinMessageBoxData;

// The content of the skinned message box: the question's text and one or two buttons. It shows
// the SkinMessageBoxData it is given; the first button ends the box with MessageBoxAnswer::First, the second with
// Second.
class CSkinMessageBox : public CSkinUIDialog {
    Q_OBJECT

public:
    explicit CSkinMessageBox(QWidget* parent = nullptr);
    ~CSkinMessageBox() override;

    // Control 1008, answering First.
    CSkinButton* FirstButton() const { return firstButton_; }
    // Control 1009, answering Second.
    CSkinButton* SecondButton() const { return secondButton_; }
    // Control 1010, the question.
    CCustomLabel* Label() const { return label_; }

    // For a one-button style: hides the second button and centres the first horizontally.
    void ArrangeButtons();

    void OnShown() override;
    void OnResized() override;

protected:
    void OnInitDialog() override;

private:
    // The data record as a question, or null when there is none.
    const SkinMessageBoxData* Question() const;
    void Answer(MessageBoxAnswer answer);

    CSkinButton* firstButton_;
    CSkinButton* secondButton_;
    CCustomLabel* label_;
};
