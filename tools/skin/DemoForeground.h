#pragma once

#include "ui/CDialogBase.h"

#include <QImage>
#include <QRect>

class CCustomLabel;
class CCustomProgress;
class CSkinButton;

// Stands in for the edition's foreground window so the window layer can be seen on its own: the
// edition's layout of progress bar, labels and buttons over the artwork the background hands it,
// shown through a band of the window. The buttons minimise, close (with the quit question) and
// ask a sample question.
class DemoForeground : public CDialogBase {
    Q_OBJECT

public:
    explicit DemoForeground(QWidget* parent);

    void SetBackgroundImage(const QImage& image) override;
    void SetProgress(float progress);

    // The visible band of the window, in its own coordinates.
    static QRect Band();
    CCustomProgress* Progress() const { return progress_; }

protected:
    void OnInitDialog() override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage artwork_;
    CCustomProgress* progress_;
    CCustomLabel* status_;
    CCustomLabel* stage_;
    CSkinButton* minimize_;
    CSkinButton* close_;
    CSkinButton* news_;
};
