#pragma once

#include "filter/filter_criteria.h"

#include <string>
#include <string_view>

namespace protmon {

// Reads filter criteria written as comma-separated key=value items, as the command-line tool
// takes them: id-high, id-low (a hex digit), req-rsp (req, rsp), read-write (read, write),
// service (a number the dialog lists), ack (0 to 15 or >0), address, data, pd1 .. pd4 (text as
// typed into the dialog), and the switches rx-errors and no-slave-selection. List keys also take
// "all". The criteria start reset; FilterActive is computed as when the dialog closes.
// On failure returns false with `error` naming the offending key or value; `criteria` is then
// unchanged.
bool ParseCriteriaText(std::string_view text, TFilterCriteria& criteria, std::string& error);

} // namespace protmon
