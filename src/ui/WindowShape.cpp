#include "ui/WindowShape.h"

#include <QtGui/qguiapplication_platform.h>
#include <QBitmap>
#include <QGuiApplication>
#include <QRegion>
#include <QString>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

template <typename Reply>
using XcbReply = std::unique_ptr<Reply, decltype(&std::free)>;

bool X11CompositorRunning() {
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    static const char kSelection[] = "_NET_WM_CM_S0";
    const XcbReply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(sizeof(kSelection) - 1), kSelection),
            nullptr),
        &std::free);
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return false;
    const XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr),
        &std::free);
    return owner && owner->owner != XCB_NONE;
}

bool HeadlessPlatform() {
    const QString platform = QGuiApplication::platformName();
    return platform == QStringLiteral("offscreen") || platform == QStringLiteral("minimal");
}

}  // namespace

bool CompositorRunning() {
    const QString platform = QGuiApplication::platformName();
    if (platform == QStringLiteral("xcb"))
        return X11CompositorRunning();
    return platform.startsWith(QStringLiteral("wayland")) || platform == QStringLiteral("windows") ||
           platform == QStringLiteral("cocoa");
}

void ShapeWindow(QWidget* window, const QImage& artwork, const QRect& visible) {
    if (HeadlessPlatform())
        return;
    const bool composited = CompositorRunning();
    if (visible.isNull() && composited) {
        window->clearMask();
        return;
    }
    QRegion shape = visible.isNull() ? QRegion(window->rect()) : QRegion(visible);
    if (!composited && !artwork.isNull())
        shape &= QRegion(QBitmap::fromImage(artwork.createAlphaMask(Qt::ThresholdAlphaDither)));
    window->setMask(shape);
}
