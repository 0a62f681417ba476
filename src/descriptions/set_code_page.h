#pragma once

#include "descriptions/cfg_list.h"
#include "descriptions/code_page.h"

namespace protmon {

// Code page of the names a description set shows; Latin-1 without a set (the decoder is off).
inline TCodePage DisplayCodePageOf(const TCfgRec* set) {
    return set != nullptr ? set->DisplayCodePage : TCodePage::Latin1;
}

} // namespace protmon
