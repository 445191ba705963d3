#pragma once

#include "ui/CLayeredBackgroundDialog.h"

class WindowMoveBatch;

// The background window that owns a launcher window group: it moves the group, places the
// foreground inside its artwork, asks every question of the group in a skinned message box and
// ends the launcher when a close is confirmed.
class CMainBackgroundDialog : public CLayeredBackgroundDialog {
    Q_OBJECT

public:
    explicit CMainBackgroundDialog(int pngId, QWidget* parent = nullptr);
    ~CMainBackgroundDialog() override;

    // The foreground window, created by the background; owned through its Qt parent.
    CDialogBase* Foreground = nullptr;
    // Added to the left and top of the background's screen rectangle before a message box
    // centres itself on it (logical pixels, not scaled).
    int MessageOffsetX = 0;
    int MessageOffsetY = 0;

    // Creates the windows the background owns. Does nothing here.
    virtual void CreateChildWindows();
    // Places the foreground inside the background and hands it the artwork it covers.
    virtual void LayoutChildWindows();

    // Lets the foreground keep what its run must keep (version.txt, the workers stopped), then
    // ends the process at once with exit code 0.
    void OnQuitConfirmed() override;
    // Moves the background and every window of its group by (dx, dy), once Initialized is set.
    void MoveGroupBy(int dx, int dy) override;
    // Disables the group, shows the box centred on the background's rectangle shifted by
    // MessageOffsetX / MessageOffsetY (over the foreground when there is one) and enables the
    // group again. `parent` is not used: the box always belongs to the group.
    MessageBoxAnswer ShowMessage(QWidget* parent,
                                 const std::string& text,
                                 MessageBoxStyle style,
                                 const std::string& firstButtonText,
                                 const std::string& secondButtonText,
                                 ButtonEmphasis emphasis) override;
    void OnMoved() override;
    void OnResized() override;

protected:
    // Adds every window of the group at its place for a background whose top-left corner is
    // `origin`: the background itself and the foreground here.
    virtual void CollectGroupMoves(WindowMoveBatch& batch, const QPoint& origin);
};
