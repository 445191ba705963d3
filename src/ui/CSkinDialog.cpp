#include "ui/CSkinDialog.h"

#include "ui/CSkinUIDialog.h"
#include "ui/SkinMessageBox.h"
#include "ui/WindowMoveBatch.h"

#include <QEventLoop>
#include <QWindow>

CSkinDialog::CSkinDialog(int pngId,
                         QWidget* parentWindow,
                         std::unique_ptr<CSkinUIDialog> content,
                         std::optional<QRect> centreOn)
    : CLayeredBackgroundDialog(pngId, nullptr),
      content_(content.release()),
      parentWindow_(parentWindow),
      centreOn_(centreOn) {
    // No taskbar entry.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    // Set before the first show (the initialisation may already show the frame): modality
    // changes of a visible window take effect only at its next show.
    setWindowModality(Qt::ApplicationModal);
    content_->setParent(this, content_->windowFlags());
}

CSkinDialog::~CSkinDialog() = default;

void CSkinDialog::OnInitDialog() {
    RedrawLayered();
    if (centreOn_)
        CenterOn(*centreOn_);
    else if (parentWindow_)
        CenterOn(parentWindow_->frameGeometry());
    else
        CenterOnDesktop();

    content_->Initialized = Initialized;
    content_->SetLinkedDialog(this);
    content_->ParentDialog = this;
    content_->InitDialog();
    content_->show();
    PlaceChild(content_);
}

int CSkinDialog::RunModal() {
    // A loop of our own rather than exec(): hiding a QDialog ends its exec() loop, and a box
    // must survive being hidden while a later box is open.
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    // Kept above the window it belongs to (it has no Qt parent, which would disable it along
    // with the group).
    if (parentWindow_ && parentWindow_->window()->windowHandle()) {
        winId();
        windowHandle()->setTransientParent(parentWindow_->window()->windowHandle());
    }
    show();
    if (isVisible())
        loop.exec(QEventLoop::DialogExec);
    return result();
}

void CSkinDialog::MoveGroupBy(int dx, int dy) {
    if (!Initialized)
        return;
    const QPoint origin = pos() + QPoint(dx, dy);
    WindowMoveBatch batch;
    batch.Add(this, origin);
    batch.Add(content_, origin + content_->PlacementIn(size()).topLeft());
    batch.Apply();
}

MessageBoxAnswer CSkinDialog::ShowMessage(QWidget*,
                                          const std::string& text,
                                          MessageBoxStyle style,
                                          const std::string& firstButtonText,
                                          const std::string& secondButtonText,
                                          ButtonEmphasis emphasis) {
    setEnabled(false);
    content_->setEnabled(false);
    const QRect area = frameGeometry();
    const MessageBoxAnswer answer =
        ShowSkinMessageBox(text, &area, firstButtonText, secondButtonText, emphasis, content_, style);
    setEnabled(true);
    content_->setEnabled(true);
    return answer;
}

void CSkinDialog::OnShown() {
    CLayeredBackgroundDialog::OnShown();
    // Without a window manager nothing keeps the content above a frame shown after it.
    if (content_->isVisible())
        content_->raise();
}

void CSkinDialog::done(int result) {
    content_->hide();
    CLayeredBackgroundDialog::done(result);
}

void CSkinDialog::reject() {
    done(7);
}
