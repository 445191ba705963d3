#include "ui/CMainBackgroundDialog.h"

#include "platform/Process.h"
#include "res/ArtworkCatalog.h"
#include "ui/SkinMessageBox.h"
#include "ui/UiScale.h"
#include "ui/WindowMoveBatch.h"

namespace {

constexpr int kMessageKeepClearGap = 4;

// The height of a message box's frame, as its artwork gives it.
int MessageFrameHeight() {
    for (const artwork::ArtworkEntry& entry : artwork::ArtworkCatalog()) {
        if (entry.id == artwork::kMessageFrame)
            return Scaled(entry.height);
    }
    return 0;
}

}  // namespace

CMainBackgroundDialog::CMainBackgroundDialog(int pngId, QWidget* parent) : CLayeredBackgroundDialog(pngId, parent) {}

CMainBackgroundDialog::~CMainBackgroundDialog() = default;

void CMainBackgroundDialog::CreateChildWindows() {}

void CMainBackgroundDialog::LayoutChildWindows() {
    if (Foreground)
        PlaceChild(Foreground);
}

void CMainBackgroundDialog::OnQuitConfirmed() {
    // The foreground owns the run, so it knows what must be kept before the process ends.
    if (Foreground)
        Foreground->OnQuitConfirmed();
    platform::TerminateCurrentProcess(0);
}

void CMainBackgroundDialog::MoveGroupBy(int dx, int dy) {
    if (!Initialized)
        return;
    WindowMoveBatch batch;
    CollectGroupMoves(batch, pos() + QPoint(dx, dy));
    batch.Apply();
}

void CMainBackgroundDialog::CollectGroupMoves(WindowMoveBatch& batch, const QPoint& origin) {
    batch.Add(this, origin);
    if (Foreground)
        batch.Add(Foreground, origin + Foreground->PlacementIn(size()).topLeft());
}

MessageBoxAnswer CMainBackgroundDialog::ShowMessage(QWidget*,
                                                    const std::string& text,
                                                    MessageBoxStyle style,
                                                    const std::string& firstButtonText,
                                                    const std::string& secondButtonText,
                                                    ButtonEmphasis emphasis) {
    setEnabled(false);
    if (Foreground)
        Foreground->setEnabled(false);

    QWidget* boxParent = Foreground ? static_cast<QWidget*>(Foreground) : this;
    QRect area = geometry();
    area.setLeft(area.left() + MessageOffsetX);
    area.setTop(area.top() + MessageOffsetY);
    // The box stands where it is asked to unless it would hide what the foreground keeps in sight
    // (the progress row, which tells what failed): then it rises just clear of it.
    const QRect keepClear = Foreground ? Foreground->MessageKeepClear() : QRect();
    if (!keepClear.isNull()) {
        const int boxBottom = area.top() + area.height() / 2 + MessageFrameHeight() / 2;
        const int limit = keepClear.top() - Scaled(kMessageKeepClearGap);
        if (boxBottom > limit)
            area.translate(0, limit - boxBottom);
    }
    const MessageBoxAnswer answer =
        ShowSkinMessageBox(text, &area, firstButtonText, secondButtonText, emphasis, boxParent, style);

    setEnabled(true);
    if (Foreground)
        Foreground->setEnabled(true);
    return answer;
}

void CMainBackgroundDialog::OnMoved() {
    MoveGroupBy(0, 0);
}

void CMainBackgroundDialog::OnResized() {
    RedrawLayered();
    LayoutChildWindows();
}
