#pragma once

#include "filter/filter_criteria.h"
#include "model/host.h"
#include "model/trigger_hook.h"

#include <string>
#include <string_view>

namespace protmon {

inline constexpr std::string_view kTriggerDepthWarning =
    "WARNING: Trigger delay is larger than maximum buffer size!";
inline constexpr std::string_view kFilterTriggered = "Filter has been triggered.";

// What the "Trigger settings" dialog holds between uses (also after "Cancel").
struct TTriggerDialogState {
    bool Activated = false; // "Trigger activated" rather than "Trigger OFF"
    std::string DelayText = "0";
    bool DelayEnabled() const { return Activated; }
};

// Stops a capture a chosen number of entries after the first entry that passes the include
// filter. The exclude filter plays no part.
class TTrigger : public ITriggerHook {
public:
    explicit TTrigger(const TFilterCriteria& includeFilter) : include_(includeFilter) {}

    // -1: off; otherwise the number of entries recorded after the trigger telegram.
    int TriggerDelay() const { return triggerDelay_; }
    // -1 no trigger in this capture, 0 armed, n >= 1 fired n-1 entries ago.
    int TriggerCounter() const { return triggerCounter_; }

    void ArmTrigger() override;
    bool TriggerCheck(const TTelEntry& entry) override;
    bool TriggerCheckWithoutArming(const TTelEntry& entry) override;
    int TriggerPosition(int count) const override;

    // "Trigger" command. Text for the delay field before the dialog opens.
    std::string DelayFieldText() const;
    // After OK: applies the dialog's choice and warns through the host when the delay reaches
    // the buffer depth.
    void ApplyDialog(const TTriggerDialogState& dialog, int bufferDepth, IHost& host);
    // Sets the delay directly (-1 or below: off).
    void SetTriggerDelay(int delay) { triggerDelay_ = delay < 0 ? -1 : delay; }

    // "Trigger " or "Trigger (n delay)"; checked exactly while the trigger is on.
    std::string MenuCaption() const;
    bool MenuChecked() const { return triggerDelay_ >= 0; }

private:
    const TFilterCriteria& include_;
    int triggerDelay_ = -1;
    int triggerCounter_ = -1;
};

} // namespace protmon
