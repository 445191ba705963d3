#pragma once

#include "ui/CDialogBase.h"
#include "ui/CTolmMainBackgroundDialog.h"

// The host window: the application's main window, run modally by the start-up. It creates the
// edition background in its initialisation, has the foreground created at its first paint, and
// then lies beneath the background at (278, 119) design pixels, moving with the group. It is
// transparent until that first paint, so the player never sees it out of place.
//
// Order of becoming visible: the background is centred while still transparent; at this
// window's first paint the foreground is created and the artwork fades in (Alpha 255), the group
// is placed, and only then does this window become opaque.
class CFlashDialog : public CDialogBase {
    Q_OBJECT

public:
    // `makeForeground` creates the edition's foreground window (see CTolmMainBackgroundDialog).
    explicit CFlashDialog(CTolmMainBackgroundDialog::ForegroundFactory makeForeground);
    ~CFlashDialog() override;

    // Initialises the window and runs its modal loop, the launcher's message loop.
    int DoModal();

    // Forwards to the background, which moves the whole group.
    void MoveGroupBy(int dx, int dy) override;

    CTolmMainBackgroundDialog* Background() const { return background_; }

protected:
    void OnInitDialog() override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CTolmMainBackgroundDialog::ForegroundFactory makeForeground_;
    CTolmMainBackgroundDialog* background_ = nullptr;
    // The part of the background's artwork this window lies under.
    QImage beneath_;
    bool foregroundRequested_ = false;
    bool firstPaintPending_ = false;
};
