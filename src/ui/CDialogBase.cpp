#include "ui/CDialogBase.h"

#include "platform/Clock.h"
#include "ui/UiScale.h"

#include <QChildEvent>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QShowEvent>

#include <cstdlib>

namespace {

// Cancel (Ctrl+Break), Return and Escape do nothing in any launcher window: no dialog may be
// ended or a button pressed from the keyboard behind the update's back.
bool IsSwallowedKey(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Cancel:
            return true;
        case Qt::Key_Pause:
            return (event.modifiers() & Qt::ControlModifier) != 0;
        default:
            return false;
    }
}

}  // namespace

CDialogBase::CDialogBase(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {}

CDialogBase::~CDialogBase() = default;

void CDialogBase::InitDialog() {
    if (initDone_)
        return;
    initDone_ = true;
    OnInitDialog();
}

void CDialogBase::OnInitDialog() {}

void CDialogBase::OnShown() {
    raise();
    if (!(windowFlags() & Qt::WindowDoesNotAcceptFocus))
        activateWindow();
}

void CDialogBase::OnQuitConfirmed() {}

void CDialogBase::SetLinkedDialog(CDialogBase* dialog) {
    LinkedDialog = dialog;
}

void CDialogBase::MoveGroupBy(int, int) {}

MessageBoxAnswer CDialogBase::ShowMessage(QWidget* parent,
                                          const std::string& text,
                                          MessageBoxStyle style,
                                          const std::string& firstButtonText,
                                          const std::string& secondButtonText,
                                          ButtonEmphasis emphasis) {
    if (LinkedDialog)
        return LinkedDialog->ShowMessage(parent, text, style, firstButtonText, secondButtonText, emphasis);
    return MessageBoxAnswer::First;
}

void CDialogBase::SetBackgroundImage(const QImage&) {}

const std::vector<std::string>& QuitQuestionTexts() {
    static const std::vector<std::string> texts = {
        "万人同服，震撼全世界！可以再等等…",  "真实战斗场景！值得你的等待~",
        "不再等等了吗… 纯3D特效战争场景哦！", "玩命下载，很快的，您可以喝杯茶再等等~",
        "无尽的战争，搞笑的战斗，值得拥有！", "说什么好呢……还是再等等吧！",
    };
    return texts;
}

std::string CDialogBase::PickQuitText() {
    if (QuitTexts.empty())
        QuitTexts = QuitQuestionTexts();
    // Reseeded from the current second on every pick, as the quit question always has been.
    std::srand(static_cast<unsigned>(platform::UnixTimeNow()));
    return QuitTexts[static_cast<size_t>(std::rand()) % QuitTexts.size()];
}

QRect CDialogBase::MessageKeepClear() const {
    return QRect();
}

void CDialogBase::CenterOnDesktop() {
    showNormal();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        CenterOn(screen->geometry());
}

void CDialogBase::CenterOn(const QRect& area) {
    const QPoint centre = area.topLeft() + QPoint(area.width() / 2, area.height() / 2);
    move(centre - QPoint(width() / 2, height() / 2));
}

QRect CDialogBase::PlacementIn(const QSize& placer) const {
    return QRect(Scaled(InsetLeft + OffsetX), Scaled(InsetTop + OffsetY),
                 placer.width() - Scaled(InsetRight + 2 * OffsetX + InsetLeft),
                 placer.height() - Scaled(InsetBottom + 2 * OffsetY + InsetTop));
}

void SetConfirmCloseChain(CDialogBase* dialog, bool value) {
    for (; dialog; dialog = dialog->LinkedDialog)
        dialog->ConfirmClose = value;
}

bool CDialogBase::HandleCloseRequest() {
    if (LinkedDialog) {
        SetConfirmCloseChain(LinkedDialog, ConfirmClose);
        if (!LinkedDialog->close())
            return true;
    } else if (ConfirmClose) {
        // The question is only asked while a close needs confirming; a message box (which clears
        // ConfirmClose for itself) or the controller's own end of the process closes silently.
        const MessageBoxAnswer answer =
            ShowMessage(this, PickQuitText(), MessageBoxStyle::QuitQuestion, "退出", "取消", ButtonEmphasis::FirstBlue);
        if (answer != MessageBoxAnswer::First)
            return true;
    }
    OnQuitConfirmed();
    return false;
}

CDialogBase* CDialogBase::DragTarget() {
    return LinkedDialog ? LinkedDialog : this;
}

void CDialogBase::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    OnShown();
}

void CDialogBase::closeEvent(QCloseEvent* event) {
    if (HandleCloseRequest()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CDialogBase::keyPressEvent(QKeyEvent* event) {
    if (IsSwallowedKey(*event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CDialogBase::childEvent(QChildEvent* event) {
    // Controls see the swallowed keys through this dialog first (see eventFilter).
    if (event->added() && event->child()->isWidgetType())
        event->child()->installEventFilter(this);
    QDialog::childEvent(event);
}

bool CDialogBase::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
        IsSwallowedKey(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return event->type() == QEvent::KeyPress;
    }
    return QDialog::eventFilter(watched, event);
}

void CDialogBase::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        lastCursor_ = event->globalPosition().toPoint();
        dragging_ = true;
    }
    QDialog::mousePressEvent(event);
}

void CDialogBase::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        const QPoint cursor = event->globalPosition().toPoint();
        const QPoint delta = cursor - lastCursor_;
        lastCursor_ = cursor;
        DragTarget()->MoveGroupBy(delta.x(), delta.y());
    }
    QDialog::mouseMoveEvent(event);
}

void CDialogBase::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        dragging_ = false;
    QDialog::mouseReleaseEvent(event);
}
