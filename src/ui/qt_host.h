#pragma once

#include "model/host.h"

#include <QString>
#include <memory>
#include <string_view>

class QMessageBox;
class QWidget;

namespace protmon {

// A text of the core (Latin-1) for a widget.
inline QString Latin1(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// The confirmation box: a question with OK and Cancel, OK the default button (Enter confirms).
std::unique_ptr<QMessageBox> MakeConfirmBox(QWidget* parent, const std::string& text);
// The question with Yes, No and Cancel: Yes the default, Escape cancels.
std::unique_ptr<QMessageBox> MakeYesNoCancelBox(QWidget* parent, const std::string& text);
// The error box with the reason as its detail text.
std::unique_ptr<QMessageBox> MakeErrorBox(QWidget* parent, const std::string& text,
                                          const std::string& detail);

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
    void ShowErrorDetail(const std::string& text, const std::string& detail) override;
    Answer AskYesNoCancel(const std::string& text) override;

private:
    QWidget* parent_;
    int busyDepth_ = 0;
};

// Hands every call to the host currently in force, so the session, which keeps a reference,
// follows when a test replaces the window's host.
class THostRelay : public IHost {
public:
    IHost* Target = nullptr;
    void ShowInfo(const std::string& text) override { Target->ShowInfo(text); }
    void ShowError(const std::string& text) override { Target->ShowError(text); }
    bool Confirm(const std::string& text) override { return Target->Confirm(text); }
    void SetBusy(bool busy) override { Target->SetBusy(busy); }
    void ProcessPendingEvents() override { Target->ProcessPendingEvents(); }
    void ShowErrorDetail(const std::string& text, const std::string& detail) override {
        Target->ShowErrorDetail(text, detail);
    }
    Answer AskYesNoCancel(const std::string& text) override { return Target->AskYesNoCancel(text); }
};

} // namespace protmon
