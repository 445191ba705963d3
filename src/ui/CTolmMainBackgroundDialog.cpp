#include "ui/CTolmMainBackgroundDialog.h"

#include "res/ArtworkCatalog.h"
#include "ui/UiScale.h"
#include "ui/WindowMoveBatch.h"

#include <utility>

namespace {

// Where the host window lies relative to the background's top-left corner: its own offsets only.
QPoint HostOffset(const CDialogBase& host) {
    return QPoint(Scaled(host.OffsetX), Scaled(host.OffsetY));
}

}  // namespace

CTolmMainBackgroundDialog::CTolmMainBackgroundDialog(ForegroundFactory makeForeground, QWidget* parent)
    : CMainBackgroundDialog(artwork::kEditionBackground, parent), makeForeground_(std::move(makeForeground)) {
    Alpha = 0;
    MessageOffsetX = 160;
    MessageOffsetY = 90;
}

CTolmMainBackgroundDialog::~CTolmMainBackgroundDialog() = default;

void CTolmMainBackgroundDialog::OnInitDialog() {
    Initialized = true;
    RedrawLayered();
    CenterOnDesktop();
    // The edition's foreground is created later, at the host window's first paint.
    CreateChildWindows();
}

void CTolmMainBackgroundDialog::CreateForeground() {
    if (foregroundCreated_ || !makeForeground_)
        return;
    foregroundCreated_ = true;
    CDialogBase* foreground = makeForeground_(this);
    if (!foreground)
        return;
    Foreground = foreground;
    foreground->SetLinkedDialog(this);
    foreground->ParentDialog = this;
    foreground->InitDialog();
    foreground->show();
    LayoutChildWindows();
    Alpha = 255;
    RedrawLayered();
}

void CTolmMainBackgroundDialog::LayoutChildWindows() {
    CMainBackgroundDialog::LayoutChildWindows();
    if (HostWindow)
        HostWindow->move(pos() + HostOffset(*HostWindow));
}

void CTolmMainBackgroundDialog::CollectGroupMoves(WindowMoveBatch& batch, const QPoint& origin) {
    CMainBackgroundDialog::CollectGroupMoves(batch, origin);
    if (HostWindow)
        batch.Add(HostWindow, origin + HostOffset(*HostWindow));
}
