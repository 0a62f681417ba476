#pragma once

#include "model/host.h"

#include <deque>
#include <string>
#include <vector>

namespace protmon {

// Records every message and answers confirmations from a queue (OK when the queue is empty), so
// no test ever waits on a modal box.
class TTestHost : public IHost {
public:
    void ShowInfo(const std::string& text) override { infos.push_back(text); }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    bool Confirm(const std::string& text) override {
        questions.push_back(text);
        if (answers.empty())
            return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void SetBusy(bool on) override { busy = on; }
    void ProcessPendingEvents() override {}

    std::vector<std::string> infos, errors, questions;
    std::deque<bool> answers;
    bool busy = false;
};

} // namespace protmon
