#pragma once

#include <string>

namespace protmon {

// The progress window the description reader drives while loading. The window implements it;
// headless callers pass none. SetActVal lets the user interface process pending events, so a
// press on the cancel button is seen during a long load.
class IProgress {
public:
    virtual ~IProgress() = default;
    virtual void SetTitle(const std::string& title) = 0;
    virtual void SetText(const std::string& text) = 0;
    // The cancel button is visible only while this text is not blank.
    virtual void SetCancelText(const std::string& text) = 0;
    virtual void SetMin(int value) = 0;
    virtual void SetMax(int value) = 0;
    virtual void SetActVal(int value) = 0;
    // True once the cancel button was pressed since the window was shown.
    virtual bool Cancel() const = 0;
    // Shows the window and clears Cancel.
    virtual void Show() = 0;
    virtual void Close() = 0;
};

// The range rules of the progress bar, kept here so that the window and the tests share them.
class TProgressRange {
public:
    int Min() const { return min_; }
    int Max() const { return max_; }
    int ActVal() const { return actVal_; }
    // Each setter returns false when it ignores the value.
    bool SetMax(int value);    // negative values are ignored
    bool SetMin(int value);    // values below 0 or not below Max are ignored
    bool SetActVal(int value); // values outside Min .. Max are ignored

private:
    int min_ = 0;
    int max_ = 100;
    int actVal_ = 0;
};

// True when the caption has a character other than spaces and control characters (the cancel
// button is then shown).
bool CancelButtonVisible(const std::string& cancelText);

} // namespace protmon
