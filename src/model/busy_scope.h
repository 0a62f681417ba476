#pragma once

#include "model/host.h"

namespace protmon {

// The busy cursor for as long as the scope lasts: an early return or a failure path cannot leave
// it on, and nested scopes stay balanced.
class TBusyScope {
public:
    explicit TBusyScope(IHost& host) : host_(host) { host_.SetBusy(true); }
    ~TBusyScope() { host_.SetBusy(false); }
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;

private:
    IHost& host_;
};

} // namespace protmon
