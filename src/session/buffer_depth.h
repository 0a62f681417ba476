#pragma once

#include "model/host.h"
#include "model/telegram_list.h"

#include <optional>
#include <string>
#include <string_view>

namespace protmon {

class TFilteredView;

inline constexpr std::string_view kBufferPromptTitle = "ZIZ Protocol Monitor V4.1";
inline constexpr std::string_view kBufferPrompt = "Enter maximum no. of telegrams to record";

// Caption of the "Buffer" menu item: "max.Buffer :" and the depth.
std::string BufferMenuCaption(int bufferDepth);
// Initial text of the input box.
std::string BufferInputText(const TTelegramList& list);

struct TBufferCommandResult {
    bool Applied = false;   // false: the input box was cancelled, nothing changed
    bool Truncated = false; // entries were removed: update the scroll range and redraw the rows
    std::string Caption;    // new caption of the menu item
};

// "Buffer" command after the input box closed; `input` is empty when it was cancelled. A text
// that is no integer keeps the depth; below 10 becomes 10; the list is cut to the depth; a
// filtered view is rebuilt so it never counts removed entries; a depth at or below the trigger
// delay is warned about through the host.
TBufferCommandResult BufferCommand(TTelegramList& list, const std::optional<std::string>& input,
                                   int triggerDelay, TFilteredView* view, IHost& host);

} // namespace protmon
