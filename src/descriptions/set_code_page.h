#pragma once

#include "descriptions/cfg_list.h"
#include "descriptions/code_page.h"

namespace protmon {

// Code page of the names a description set shows; Latin-1 without a set (the decoder is off).
inline CodePage DisplayCodePageOf(const TCfgRec* set) {
    return set != nullptr ? set->DisplayCodePage : CodePage::Latin1;
}

} // namespace protmon
