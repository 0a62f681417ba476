#pragma once

#include <string>

namespace protmon {

// Replaces the extension of the last path component by `ext` (without dot), or appends it if the
// component has none. "/" separates folders; a dot that starts the last component (a hidden file
// such as ".rec") is part of the name, not an extension.
std::string ForceExtension(const std::string& name, const std::string& ext);

} // namespace protmon
