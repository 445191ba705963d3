#include "Screenshots.h"

#include "DemoForeground.h"
#include "ui/CFlashDialog.h"
#include "ui/CSkinButton.h"
#include "ui/CSkinDialog.h"
#include "ui/CSkinMessageBox.h"
#include "ui/SkinMessageBox.h"
#include "ui/WindowComposition.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <utility>

namespace {

bool Save(const QImage& image, const QString& folder, const char* name) {
    const QString path = QDir(folder).filePath(QString::fromUtf8(name));
    const bool saved = !image.isNull() && image.save(path, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    return saved;
}

QImage BoxPicture(CSkinDialog& frame) {
    WindowComposition picture(frame.geometry());
    picture.Add(&frame);
    picture.Add(frame.Content());
    return picture.Image();
}

// Runs `action` with the next box's frame once it is open and drawn.
void WhenBoxOpens(std::function<void(CSkinDialog&)> action) {
    auto* timer = new QTimer;
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action = std::move(action)] {
        auto* frame = qobject_cast<CSkinDialog*>(QApplication::activeModalWidget());
        if (!frame || !frame->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(*frame);
    });
    timer->start();
}

}  // namespace

bool RenderScreenshots(const QString& folder) {
    QDir().mkpath(folder);
    bool ok = true;

    DemoForeground* foreground = nullptr;
    CFlashDialog host([&foreground](QWidget* parent) { return foreground = new DemoForeground(parent); });
    host.InitDialog();
    host.show();
    QCoreApplication::processEvents();
    CTolmMainBackgroundDialog* background = host.Background();
    if (!foreground || !background)
        return false;

    WindowComposition groupPicture(background->geometry());
    groupPicture.Add(&host);
    groupPicture.Add(background);
    groupPicture.Add(foreground, DemoForeground::Band());
    const QImage groupImage = groupPicture.Image();
    ok &= Save(groupImage, folder, "window_group.png");
    // The progress bar at 30 % with the lines around it, twice the size.
    ok &= Save(groupImage.copy(310, 312, 640, 42).scaled(1280, 84, Qt::KeepAspectRatio, Qt::SmoothTransformation),
               folder, "progress_30.png");

    WhenBoxOpens([&](CSkinDialog& frame) {
        ok &= Save(BoxPicture(frame), folder, "message_one_button.png");
        qobject_cast<CSkinMessageBox*>(frame.Content())->FirstButton()->click();
    });
    ShowSkinMessageBox("网络连接失败，请检查网络后重试。", nullptr, "", "", ButtonEmphasis::FirstGold, nullptr,
                       MessageBoxStyle::OneButton);

    WhenBoxOpens([&](CSkinDialog& frame) {
        ok &= Save(BoxPicture(frame), folder, "message_two_buttons.png");
        WindowComposition withQuestion = groupPicture;
        withQuestion.Add(&frame);
        withQuestion.Add(frame.Content());
        ok &= Save(withQuestion.Image(), folder, "window_group_quit_question.png");
        qobject_cast<CSkinMessageBox*>(frame.Content())->SecondButton()->click();
    });
    // The quit question as closing the launcher asks it.
    foreground->ShowMessage(nullptr, QuitQuestionTexts()[2], MessageBoxStyle::QuitQuestion, "退出", "取消",
                            ButtonEmphasis::FirstBlue);
    return ok;
}
