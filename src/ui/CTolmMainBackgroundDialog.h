#pragma once

#include "ui/CMainBackgroundDialog.h"

#include <functional>

// The edition background: the naval artwork (PNG 137) behind the edition's foreground window,
// with the host window (CFlashDialog) lying beneath it. It is created invisible (Alpha 0) and
// centred on the screen, and shows its artwork once the foreground exists, so the player sees
// background and foreground appear together.
class CTolmMainBackgroundDialog : public CMainBackgroundDialog {
    Q_OBJECT

public:
    // Makes the foreground window as a child of `parent` (the background). The controller's
    // edition window is plugged in here by whoever builds the window group.
    using ForegroundFactory = std::function<CDialogBase*(QWidget* parent)>;

    explicit CTolmMainBackgroundDialog(ForegroundFactory makeForeground, QWidget* parent = nullptr);
    ~CTolmMainBackgroundDialog() override;

    // The window that hosts the group; not owned.
    CDialogBase* HostWindow = nullptr;

    // Creates, shows and places the foreground, then fades the artwork in. Runs once; later
    // calls, and calls without a factory, do nothing.
    void CreateForeground();
    // Places the foreground (with the artwork it covers) and the host window.
    void LayoutChildWindows() override;

protected:
    void OnInitDialog() override;
    void CollectGroupMoves(WindowMoveBatch& batch, const QPoint& origin) override;

private:
    ForegroundFactory makeForeground_;
    bool foregroundCreated_ = false;
};
