#pragma once

#include "view/row_window_details.h"

#include <QString>

class QLabel;
class QStatusBar;

namespace protmon {

// The four status-bar panels of the main window: 80, 80 and 155 pixels wide at the usual font
// (wider when a larger font needs it for the longest detail text), the last one takes the rest.
class TStatusPanels {
public:
    explicit TStatusPanels(QStatusBar& bar);
    void Show(const TDetailPanels& texts);
    QString Text(int panel) const;

private:
    QLabel* panels_[4] = {};
};

} // namespace protmon
