#pragma once

#include <string>

namespace protmon {

// The answer to a question with Yes, No and Cancel.
enum class Answer { Yes, No, Cancel };

// The one way the core reaches the user. The window, the command-line tool and the tests each
// implement it; the core never decides how a message is drawn.
class IHost {
public:
    virtual ~IHost() = default;
    // Informational box with OK.
    virtual void ShowInfo(const std::string& text) = 0;
    // Error box with OK.
    virtual void ShowError(const std::string& text) = 0;
    // Confirmation box with OK and Cancel; true for OK.
    virtual bool Confirm(const std::string& text) = 0;
    virtual void SetBusy(bool busy) = 0;
    // Lets pending window events (timer ticks included) run during device waits.
    virtual void ProcessPendingEvents() = 0;
    // Error box whose detail text says why (the system's reason, a port's state, the counts of a
    // cut file); the box's own text stays as it is. A host without detail texts shows the text
    // alone.
    virtual void ShowErrorDetail(const std::string& text, const std::string& detail) {
        (void)detail;
        ShowError(text);
    }
    // Question box with Yes, No and Cancel. A host without one asks Confirm: OK is Yes,
    // Cancel is No.
    virtual Answer AskYesNoCancel(const std::string& text) {
        return Confirm(text) ? Answer::Yes : Answer::No;
    }
};

// A host that answers every question with OK and shows nothing; for headless use and tests.
class TSilentHost : public IHost {
public:
    void ShowInfo(const std::string&) override {}
    void ShowError(const std::string&) override {}
    bool Confirm(const std::string&) override { return true; }
    void SetBusy(bool) override {}
    void ProcessPendingEvents() override {}
};

} // namespace protmon
