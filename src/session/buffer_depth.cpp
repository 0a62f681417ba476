#include "session/buffer_depth.h"

#include "filter/filtered_view.h"
#include "filter/number_parse.h"
#include "filter/trigger.h"

namespace protmon {

std::string BufferMenuCaption(int bufferDepth) {
    return "max.Buffer :" + std::to_string(bufferDepth);
}

std::string BufferInputText(const TTelegramList& list) {
    return std::to_string(list.BufferDepth());
}

TBufferCommandResult BufferCommand(TTelegramList& list, const std::optional<std::string>& input,
                                   int triggerDelay, TFilteredView* view, IHost& host) {
    TBufferCommandResult result;
    result.Caption = BufferMenuCaption(list.BufferDepth());
    // Cancelling must not re-apply the depth: that would cut a list just read from a file.
    if (!input)
        return result;
    result.Applied = true;
    const int depth = ParseIntegerText(*input).value_or(list.BufferDepth());
    const int before = list.Count();
    list.SetBufferDepth(depth);
    result.Truncated = list.Count() < before;
    if (result.Truncated && view != nullptr)
        view->ListChanged();
    result.Caption = BufferMenuCaption(list.BufferDepth());
    if (list.BufferDepth() <= triggerDelay)
        host.ShowInfo(std::string(kTriggerDepthWarning));
    return result;
}

} // namespace protmon
