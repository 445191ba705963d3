#pragma once

#include "ui/CLayeredBackgroundDialog.h"

#include <QPointer>
#include <QRect>

#include <memory>
#include <optional>

class CSkinUIDialog;

// The frame of a skinned message box: a per-pixel-alpha window drawn from its PNG, with a
// content dialog (CSkinUIDialog) inside it that paints the middle of the same artwork. Frame and
// content move as one. The frame runs the box's modal loop; its result is the answer.
class CSkinDialog : public CLayeredBackgroundDialog {
    Q_OBJECT

public:
    // `parentWindow` (may be null) is what the frame centres on when `centreOn` is not given,
    // and what it stays above. The frame owns `content`.
    CSkinDialog(int pngId,
                QWidget* parentWindow,
                std::unique_ptr<CSkinUIDialog> content,
                std::optional<QRect> centreOn);
    ~CSkinDialog() override;

    CSkinUIDialog* Content() const { return content_; }

    // Shows the frame application-modal and returns when done() ends it, with its result.
    int RunModal();

    // When Initialized: moves the frame by (dx, dy) and the content to its place inside it.
    void MoveGroupBy(int dx, int dy) override;
    // A question asked from inside the box: disables the box and opens another one on top of it.
    MessageBoxAnswer ShowMessage(QWidget* parent,
                                 const std::string& text,
                                 MessageBoxStyle style,
                                 const std::string& firstButtonText,
                                 const std::string& secondButtonText,
                                 ButtonEmphasis emphasis) override;

    // Brings the frame to the front with its content above it.
    void OnShown() override;
    void done(int result) override;
    // Any other end of the box (the window manager's close) answers 7, the safe "no".
    void reject() override;

protected:
    void OnInitDialog() override;

private:
    CSkinUIDialog* content_;
    QPointer<QWidget> parentWindow_;
    std::optional<QRect> centreOn_;
};
