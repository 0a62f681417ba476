#pragma once

#include "model/progress.h"

#include <QWidget>

class QLabel;
class QProgressBar;

namespace protmon {

class TZidevGlyphButton;

// The small window shown while a description file loads: a text line, a progress bar and a
// cancel button that shows only with a caption. A tool window without system buttons, always on
// top, centred on the screen. While it shows, the other windows take no input, so no second load
// and no removal of the set can start during a load; its own button still reacts, because every
// progress step lets pending events run.
class TfrmProgress : public QWidget, public IProgress {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 385;
    static constexpr int kClientHeight = 102;

    explicit TfrmProgress(QWidget* parent = nullptr);

    void SetTitle(const std::string& title) override;
    void SetText(const std::string& text) override;
    void SetCancelText(const std::string& text) override;
    void SetMin(int value) override;
    void SetMax(int value) override;
    void SetActVal(int value) override;
    bool Cancel() const override { return cancel_; }
    void Show() override;
    void Close() override;

    QString Title() const;
    QString Text() const;
    QString CancelText() const;
    int Min() const { return range_.Min(); }
    int Max() const { return range_.Max(); }
    int ActVal() const { return range_.ActVal(); }

    QLabel* LabProgress;
    QProgressBar* prbProgress;
    TZidevGlyphButton* ZidevGlyphButton1;

private:
    void ApplyRange();

    TProgressRange range_;
    bool cancel_ = false;
};

} // namespace protmon
