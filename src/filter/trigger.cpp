#include "filter/trigger.h"

#include "filter/filter_match.h"
#include "filter/number_parse.h"

namespace protmon {

void TTrigger::ArmTrigger() {
    triggerCounter_ = triggerDelay_ < 0 ? -1 : 0;
}

bool TTrigger::TriggerCheck(const TTelEntry& entry) {
    // The criteria cannot change during a capture, but a single match per entry is cheap enough
    // to read them fresh rather than keep a prepared copy in step with the dialog.
    if (triggerCounter_ == 0 && MatchTelegram(include_, entry.Data) != kNoMatch)
        triggerCounter_ = 1;
    return TriggerCheckWithoutArming(entry);
}

bool TTrigger::TriggerCheckWithoutArming(const TTelEntry&) {
    if (triggerCounter_ < 1)
        return false;
    if (triggerCounter_ > triggerDelay_)
        return true;
    ++triggerCounter_;
    return false;
}

int TTrigger::TriggerPosition(int count) const {
    return count - triggerDelay_ - 1;
}

std::string TTrigger::DelayFieldText() const {
    return triggerDelay_ < 0 ? "0" : std::to_string(triggerDelay_);
}

void TTrigger::ApplyDialog(const TTriggerDialogState& dialog, int bufferDepth, IHost& host) {
    SetTriggerDelay(dialog.Activated ? ParseNumberText(dialog.DelayText) : -1);
    if (triggerDelay_ >= bufferDepth)
        host.ShowInfo(std::string(kTriggerDepthWarning));
}

std::string TTrigger::MenuCaption() const {
    std::string caption = "Trigger ";
    if (triggerDelay_ >= 0)
        caption += "(" + std::to_string(triggerDelay_) + " delay)";
    return caption;
}

} // namespace protmon
