#pragma once

#include "detect/line_detector.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace protmon {

class TMonitorSession;

// "Detect line": runs the session's line detection on the selected port with a progress bar,
// shows the ranked candidates and the verdict; OK applies the verdict, Cancel stops the
// detection at once and changes nothing.
class TDetectLineDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr double kSeconds = 20;

    explicit TDetectLineDialog(TMonitorSession& session, QWidget* parent = nullptr);

    // Shows the dialog, detects, then waits for OK or Cancel. True when OK applied a verdict.
    bool Run();
    // The detection alone, with the dialog showing its progress; false when it was cancelled.
    bool Detect(double seconds = kSeconds);
    // After Detect: OK and the verdict through the session.
    bool Apply();
    const TDetectOutcome& Outcome() const { return outcome_; }
    bool Running() const { return running_; }

    QProgressBar* Progress;
    QLabel* LabelSetting;
    QTableWidget* Table;
    QLabel* LabelVerdict;
    QPushButton* BtnOk;
    QPushButton* BtnCancel;

private:
    void CancelClick();
    void ShowOutcome();

    TMonitorSession& session_;
    TDetectOutcome outcome_;
    bool running_ = false;
    bool cancelled_ = false;
};

} // namespace protmon
