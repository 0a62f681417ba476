#include "ui/screen_fit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace protmon {

namespace {

// A title bar and borders as most window managers draw them, for a window not yet shown.
constexpr QMargins kAssumedFrame{4, 30, 4, 4};

QScreen* ScreenOf(const QWidget& window, const QWidget* near) {
    QScreen* screen = near != nullptr ? near->screen() : window.screen();
    return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

QMargins FrameOf(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    const QMargins frame =
        handle != nullptr && window.isVisible() ? handle->frameMargins() : QMargins();
    return frame.isNull() ? kAssumedFrame : frame;
}

} // namespace

void FitToScreen(QWidget& window, QSize wanted, const QWidget* near) {
    const QScreen* screen = ScreenOf(window, near);
    if (screen == nullptr) {
        window.resize(wanted);
        return;
    }
    FitInto(window, wanted, screen->availableGeometry(), FrameOf(window), near);
}

void FitInto(QWidget& window, QSize wanted, const QRect& area, const QMargins& frame,
             const QWidget* near) {
    const QSize room =
        area.size() - QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QSize size = wanted.boundedTo(room).expandedTo(window.minimumSizeHint());
    window.resize(size);
    QRect placed(QPoint(), size);
    placed.moveCenter(near != nullptr ? near->frameGeometry().center() : area.center());
    // Frame and all inside the area: the top left wins when the window is larger.
    const int left = area.left() + frame.left();
    const int top = area.top() + frame.top();
    const int right = area.right() - frame.right() - size.width() + 1;
    const int bottom = area.bottom() - frame.bottom() - size.height() + 1;
    placed.moveTopLeft(QPoint(std::max(left, std::min(placed.left(), right)),
                              std::max(top, std::min(placed.top(), bottom))));
    window.move(placed.topLeft() - QPoint(frame.left(), frame.top()));
}

} // namespace protmon
