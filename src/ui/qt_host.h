#pragma once

#include "model/host.h"

#include <memory>

class QMessageBox;
class QWidget;

namespace protmon {

// The confirmation box: a question with OK and Cancel, OK the default button (Enter confirms).
std::unique_ptr<QMessageBox> MakeConfirmBox(QWidget* parent, const std::string& text);

// The window's way of talking to the user: modal message boxes over the main window, the busy
// cursor and letting pending events run.
class TQtHost : public IHost {
public:
    explicit TQtHost(QWidget* parent) : parent_(parent) {}
    void ShowInfo(const std::string& text) override;
    void ShowError(const std::string& text) override;
    bool Confirm(const std::string& text) override;
    void SetBusy(bool busy) override;
    void ProcessPendingEvents() override;

private:
    QWidget* parent_;
    int busyDepth_ = 0;
};

} // namespace protmon
