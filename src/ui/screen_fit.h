#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace protmon {

// Gives a top-level window the size `wanted` where the screen has room for it, else as much as
// the screen's available area leaves beside the window frame (never less than the window's
// minimum), and places it inside that area: over `near` where given, else centred.
void FitToScreen(QWidget& window, QSize wanted, const QWidget* near = nullptr);

// The same inside `area` with a window frame of `frame`.
void FitInto(QWidget& window, QSize wanted, const QRect& area, const QMargins& frame,
             const QWidget* near = nullptr);

} // namespace protmon
