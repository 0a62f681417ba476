#pragma once

#include <string>

namespace protmon {

// The one way the core reaches the user. The window, the command-line tool and the tests each
// implement it; the core never decides how a message is drawn.
class IHost {
public:
    virtual ~IHost() = default;
    // Informational box with OK.
    virtual void ShowInfo(const std::string& text) = 0;
    // Error box with OK.
    virtual void ShowError(const std::string& text) = 0;
    // Error box with OK and, beneath its fixed text, a detail (the reason, the counts). A host
    // without room for it shows the text alone.
    virtual void ShowErrorDetail(const std::string& text, const std::string& /*detail*/) {
        ShowError(text);
    }
    // Confirmation box with OK and Cancel; true for OK.
    virtual bool Confirm(const std::string& text) = 0;
    virtual void SetBusy(bool busy) = 0;
    // Lets pending window events (timer ticks included) run during device waits.
    virtual void ProcessPendingEvents() = 0;
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
