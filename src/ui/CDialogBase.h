#pragma once

// The skinned window layer. Every launcher window is a borderless dialog derived from
// CDialogBase; the windows of one group (host window, background, foreground, or a message box's
// frame and content) move together. Each window forwards closing, moving and questions to its
// LinkedDialog, the root of its group: the background for the launcher's windows, the frame for
// a message box's content. User-interface thread only.

#include "ui/MessageBoxStyle.h"

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QRect>

#include <string>
#include <vector>

class CDialogBase : public QDialog {
    Q_OBJECT

public:
    explicit CDialogBase(QWidget* parent = nullptr);
    ~CDialogBase() override;

    // Placement of this window inside the window that places it, in design pixels: its offset from
    // that window's top-left corner, and the margins the placing window leaves around it.
    int OffsetX = 0;
    int OffsetY = 0;
    int InsetLeft = 0;
    int InsetTop = 0;
    int InsetRight = 0;
    int InsetBottom = 0;
    // The dialog that created this one; not owned.
    CDialogBase* ParentDialog = nullptr;
    // The root of this window's group, which closing, moving and questions are forwarded to; not
    // owned. Set with SetLinkedDialog.
    CDialogBase* LinkedDialog = nullptr;
    // Whether closing must be confirmed with the quit question.
    bool ConfirmClose = true;
    // Set once the group may be moved; moves before that are ignored.
    bool Initialized = false;
    // The quit question's texts, filled by the first PickQuitText.
    std::vector<std::string> QuitTexts;

    // Runs OnInitDialog, once; later calls do nothing. The creator calls it after setting
    // LinkedDialog and ParentDialog and before showing the window.
    void InitDialog();

    // Called when the window has been shown: brings it to the front.
    virtual void OnShown();
    // Called when a close has been confirmed, before the window closes. Does nothing here.
    virtual void OnQuitConfirmed();
    virtual void SetLinkedDialog(CDialogBase* dialog);
    // Moves the window group by (dx, dy) logical pixels; (0, 0) re-synchronises it. Does nothing
    // here; the root of a group moves it.
    virtual void MoveGroupBy(int dx, int dy);
    // Asks a question in a skinned message box with the buttons `style` shows; empty button texts
    // show "确定" and "取消". Returns the button pressed. Here: forwarded to LinkedDialog, or
    // answered First without showing anything when there is none.
    virtual MessageBoxAnswer ShowMessage(QWidget* parent,
                                         const std::string& text,
                                         MessageBoxStyle style,
                                         const std::string& firstButtonText,
                                         const std::string& secondButtonText,
                                         ButtonEmphasis emphasis);
    // The part of this window, in screen coordinates, that a question shown over the group leaves
    // in sight; null (here) when there is none.
    virtual QRect MessageKeepClear() const;
    // Replaces the image the window paints as its background (the part of the placing window's
    // artwork it covers). Ignored here.
    virtual void SetBackgroundImage(const QImage& image);

    // One of the six quit texts, picked at random from the current second.
    std::string PickQuitText();
    // Shows the window normally, its centre on the centre of the primary screen.
    void CenterOnDesktop();
    // Moves the window, keeping its size, so that its centre is the centre of `area`.
    void CenterOn(const QRect& area);

    // Where this window lies inside a placing window of size `placer`, in logical pixels relative
    // to the placer's top-left corner: scaled (InsetLeft + OffsetX, InsetTop + OffsetY), the
    // placer's size less scaled (InsetLeft + 2 * OffsetX + InsetRight) by the same for the height.
    QRect PlacementIn(const QSize& placer) const;

    // The close path, for every close request: forwarded along LinkedDialog; the root asks the
    // quit question when ConfirmClose is set. Returns true when the close is refused; otherwise
    // OnQuitConfirmed has run.
    bool HandleCloseRequest();

protected:
    // The dialog's initialisation, run once by InitDialog. Does nothing here.
    virtual void OnInitDialog();
    // The dialog whose MoveGroupBy a drag on this window drives: LinkedDialog, or this one.
    CDialogBase* DragTarget();

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void childEvent(QChildEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool initDone_ = false;
    bool dragging_ = false;
    QPoint lastCursor_;
};

// Sets ConfirmClose of `dialog` and of every dialog reached from it through LinkedDialog.
void SetConfirmCloseChain(CDialogBase* dialog, bool value);

// The quit question's six texts, in order.
const std::vector<std::string>& QuitQuestionTexts();
