#include "ui/progress_window.h"

#include "ui/glyph_button.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

namespace protmon {

namespace {

constexpr int kButtonWidth = 97;
constexpr int kButtonHeight = 25;

// Geometry of the controls in the fixed client area.
constexpr QRect kLabelRect(8, 8, TfrmProgress::kClientWidth - 16, 20);
constexpr QRect kBarRect(8, 34, TfrmProgress::kClientWidth - 16, 20);
constexpr int kButtonTop = 66;

} // namespace

TfrmProgress::TfrmProgress(QWidget* parent)
    : QWidget(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(QStringLiteral("Progress"));
    setFixedSize(kClientWidth, kClientHeight);
    // Input to the other windows waits until the load is over.
    setWindowModality(Qt::ApplicationModal);

    LabProgress = new QLabel(this);
    LabProgress->setObjectName(QStringLiteral("LabProgress"));
    LabProgress->setAlignment(Qt::AlignCenter);
    LabProgress->setGeometry(kLabelRect);

    prbProgress = new QProgressBar(this);
    prbProgress->setObjectName(QStringLiteral("prbProgress"));
    prbProgress->setGeometry(kBarRect);
    prbProgress->setTextVisible(false);
    ApplyRange();

    ZidevGlyphButton1 = new TZidevGlyphButton(this);
    ZidevGlyphButton1->setObjectName(QStringLiteral("ZidevGlyphButton1"));
    ZidevGlyphButton1->setGeometry((kClientWidth - kButtonWidth) / 2, kButtonTop, kButtonWidth,
                                   kButtonHeight);
    ZidevGlyphButton1->setVisible(false);
    connect(ZidevGlyphButton1, &QPushButton::clicked, this, [this] { cancel_ = true; });
}

void TfrmProgress::SetTitle(const std::string& title) {
    setWindowTitle(QString::fromStdString(title));
}

void TfrmProgress::SetText(const std::string& text) {
    LabProgress->setText(QString::fromStdString(text));
}

void TfrmProgress::SetCancelText(const std::string& text) {
    ZidevGlyphButton1->setText(QString::fromStdString(text));
    ZidevGlyphButton1->setVisible(CancelButtonVisible(text));
}

QString TfrmProgress::Title() const {
    return windowTitle();
}

QString TfrmProgress::Text() const {
    return LabProgress->text();
}

QString TfrmProgress::CancelText() const {
    return ZidevGlyphButton1->text();
}

void TfrmProgress::ApplyRange() {
    prbProgress->setRange(range_.Min(), range_.Max());
    prbProgress->setValue(range_.ActVal());
}

void TfrmProgress::SetMin(int value) {
    if (range_.SetMin(value))
        ApplyRange();
}

void TfrmProgress::SetMax(int value) {
    if (range_.SetMax(value))
        ApplyRange();
}

void TfrmProgress::SetActVal(int value) {
    if (!range_.SetActVal(value))
        return;
    prbProgress->setValue(value);
    // Repaint and see a press on the cancel button while the load goes on.
    QApplication::processEvents();
}

void TfrmProgress::Show() {
    cancel_ = false;
    ApplyRange();
    if (const QScreen* screen = QApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    prbProgress->repaint();
}

void TfrmProgress::Close() {
    hide();
}

} // namespace protmon
