#include "ui/status_panels.h"

#include <QLabel>
#include <QStatusBar>
#include <algorithm>

namespace protmon {

namespace {

constexpr int kPanelWidths[4] = {80, 80, 155, 50};
// The longest text each fixed panel shows.
constexpr const char* kPanelSamples[3] = {"Entry:99999", "Channel:A", "TimeStamp:FFFF*8192us"};

} // namespace

TStatusPanels::TStatusPanels(QStatusBar& bar) {
    for (int i = 0; i < 4; ++i) {
        QLabel* p = panels_[i] = new QLabel(&bar);
        p->setObjectName(QStringLiteral("Panel%1").arg(i));
        p->setFrameShape(QFrame::Panel);
        p->setFrameShadow(QFrame::Sunken);
        p->setMinimumWidth(kPanelWidths[i]);
        // The last panel takes the rest of the bar so a long delta time stays readable.
        if (i < 3) {
            const int text = p->fontMetrics().horizontalAdvance(kPanelSamples[i]);
            const int frame = 2 * p->frameWidth() + 2 * p->margin();
            p->setFixedWidth(std::max(kPanelWidths[i], text + frame));
        }
        bar.addWidget(p, i < 3 ? 0 : 1);
    }
    bar.setSizeGripEnabled(true);
}

void TStatusPanels::Show(const TDetailPanels& texts) {
    for (int i = 0; i < 4; ++i)
        panels_[i]->setText(QString::fromLatin1(texts[static_cast<std::size_t>(i)]));
}

QString TStatusPanels::Text(int panel) const {
    return panel >= 0 && panel < 4 ? panels_[panel]->text() : QString();
}

} // namespace protmon
