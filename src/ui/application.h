#pragma once

namespace protmon {

// Names the application "Protocol Monitor", the title of its message boxes. No display name is
// set: Qt's X11 and Wayland windows would append it to every caption (" — Protocol Monitor"),
// and the captions must read exactly as given.
void SetUpApplication();

} // namespace protmon
