#include "model/progress.h"

namespace protmon {

bool TProgressRange::SetMax(int value) {
    if (value < 0)
        return false;
    max_ = value;
    return true;
}

bool TProgressRange::SetMin(int value) {
    if (value < 0 || value >= max_)
        return false;
    min_ = value;
    return true;
}

bool TProgressRange::SetActVal(int value) {
    if (value < min_ || value > max_)
        return false;
    actVal_ = value;
    return true;
}

bool CancelButtonVisible(const std::string& cancelText) {
    // Blanks are spaces and control characters, as trimming takes them.
    for (const char c : cancelText)
        if (static_cast<unsigned char>(c) > ' ')
            return true;
    return false;
}

} // namespace protmon
