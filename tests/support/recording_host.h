#pragma once

#include "model/host.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace protmon::test {

// Records everything the core asks of the user and answers confirmations from a script, so no
// test ever waits on a modal box.
class TRecordingHost : public IHost {
public:
    void ShowInfo(const std::string& text) override {
        infos.push_back(text);
        boxes.push_back(text);
    }
    void ShowError(const std::string& text) override {
        errors.push_back(text);
        boxes.push_back(text);
    }
    // Takes the next scripted answer; `answer` once the script has run out.
    bool Confirm(const std::string& text) override {
        questions.push_back(text);
        boxes.push_back(text);
        if (answers.empty())
            return answer;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    // The detail goes to `details`, the text to the error lists as ShowError does.
    void ShowErrorDetail(const std::string& text, const std::string& detail) override {
        ShowError(text);
        details.push_back(detail);
    }
    // Takes the next scripted choice; without one, the Confirm script answers (OK is Yes).
    Answer AskYesNoCancel(const std::string& text) override {
        if (choices.empty())
            return Confirm(text) ? Answer::Yes : Answer::No;
        questions.push_back(text);
        boxes.push_back(text);
        const Answer a = choices.front();
        choices.pop_front();
        return a;
    }
    void SetBusy(bool on) override {
        busy = on;
        busyCalls.push_back(on);
    }
    void ProcessPendingEvents() override {
        ++pendingEventCalls;
        if (onPendingEvents)
            onPendingEvents();
    }

    std::vector<std::string> infos, errors, questions;
    // The detail texts of error boxes that carry one.
    std::vector<std::string> details;
    // Every box of the three kinds, in the order shown.
    std::vector<std::string> boxes;
    std::deque<bool> answers;
    std::deque<Answer> choices;
    bool answer = true;
    bool busy = false;
    std::vector<bool> busyCalls;
    int pendingEventCalls = 0;
    // Runs inside each pending-event call, to look at the core while it waits.
    std::function<void()> onPendingEvents;
};

} // namespace protmon::test
