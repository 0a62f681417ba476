#pragma once

#include "model/tel_entry.h"

namespace protmon {

// The trigger as the assemblers see it. The filter layer implements it; capture control arms it at
// Start and the TRX5 and DIN66019II assemblers call TriggerCheck after every entry they store.
class ITriggerHook {
public:
    virtual ~ITriggerHook() = default;
    // At Start, after the capture was set up: armed when the trigger is on, else off.
    virtual void ArmTrigger() = 0;
    // True when the trigger fired with this entry's delay reached. The assembler then stops
    // touching the list; capture control runs the Stop sequence, lets the view scroll to and select
    // position TriggerPosition(count) and shows "Filter has been triggered.".
    virtual bool TriggerCheck(const TTelEntry& entry) = 0;
    // As TriggerCheck for an entry that must never become the trigger telegram (garbage that
    // was discarded), but is counted once the trigger has fired.
    virtual bool TriggerCheckWithoutArming(const TTelEntry& entry) { return TriggerCheck(entry); }
    // Position of the trigger telegram in a list of `count` entries after Stop unwrapped it
    // (negative when it was already overwritten).
    virtual int TriggerPosition(int count) const = 0;
};

// No trigger: never fires.
class TNoTrigger : public ITriggerHook {
public:
    void ArmTrigger() override {}
    bool TriggerCheck(const TTelEntry&) override { return false; }
    int TriggerPosition(int) const override { return -1; }
};

} // namespace protmon
