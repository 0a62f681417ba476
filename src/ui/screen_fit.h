#pragma once

#include <QSize>

class QWidget;

namespace protmon {

// Gives a top-level window the size `wanted` where the screen has room for it, else as much as
// the screen's available area leaves beside the window frame (never less than the window's
// minimum), and places it inside that area: over `near` where given, else centred.
void FitToScreen(QWidget& window, QSize wanted, const QWidget* near = nullptr);

// Room for a window on the screen of `window` (or of `near`): the available area less the frame
// the window system draws around it.
QSize ScreenRoom(const QWidget& window, const QWidget* near = nullptr);

} // namespace protmon
