#pragma once

#include "model/host.h"
#include "model/telegram_list.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace protmon::filter_test {

// Remembers what the core asked the user to see.
class TRecordingHost : public IHost {
public:
    void ShowInfo(const std::string& text) override { Messages.push_back(text); }
    void ShowError(const std::string& text) override { Messages.push_back(text); }
    bool Confirm(const std::string& text) override {
        Messages.push_back(text);
        return true;
    }
    void SetBusy(bool busy) override { Busy = busy; }
    void ProcessPendingEvents() override {}

    std::vector<std::string> Messages;
    bool Busy = false;
};

inline TTelEntry Entry(std::initializer_list<std::uint8_t> bytes) {
    TTelEntry e;
    std::size_t i = 0;
    for (std::uint8_t b : bytes)
        e.Data[i++] = b;
    return e;
}

inline void Append(TTelegramList& list, std::initializer_list<std::uint8_t> bytes) {
    TTelEntry* e = list.NewTelEntry();
    *e = Entry(bytes);
}

// Filter marks of every entry, in list order.
inline std::vector<int> Marks(const TTelegramList& list) {
    std::vector<int> marks;
    for (int i = 0; i < list.Count(); ++i)
        marks.push_back(list.At(i)->Data[kFilterMarkIndex]);
    return marks;
}

} // namespace protmon::filter_test
