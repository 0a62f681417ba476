#include "descriptions/progress.h"

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
    return cancelText.find_first_not_of(' ') != std::string::npos;
}

} // namespace protmon
