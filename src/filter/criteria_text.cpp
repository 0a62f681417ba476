#include "filter/criteria_text.h"

#include "filter/number_parse.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <span>

namespace protmon {

namespace {

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Index of `value` among the dialog's items (compared without case and surrounding blanks).
std::optional<int> ItemIndex(std::span<const std::string_view> items, std::string_view value) {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (SameText(TrimBlanks(items[i]), value))
            return static_cast<int>(i);
    return std::nullopt;
}

struct TListKey {
    std::string_view Key;
    std::span<const std::string_view> (*Items)();
    int TFilterCriteria::*Field;
};

const TListKey kListKeys[] = {
    {"id-high", IdItems, &TFilterCriteria::IDHigh},
    {"id-low", IdItems, &TFilterCriteria::IDLow},
    {"req-rsp", ReqRspItems, &TFilterCriteria::ReqRsp},
    {"read-write", ReadWriteItems, &TFilterCriteria::ReadWrite},
    {"service", ServiceItems, &TFilterCriteria::Service},
    {"ack", AcknowledgeItems, &TFilterCriteria::Acknowledge},
};

struct TTextKey {
    std::string_view Key;
    ValueField Field;
};

const TTextKey kTextKeys[] = {
    {"address", kFieldAddress}, {"data", kFieldData}, {"pd1", kFieldPD1},
    {"pd2", kFieldPD2},         {"pd3", kFieldPD3},   {"pd4", kFieldPD4},
};

std::string Quoted(std::string_view s) {
    return "'" + std::string(s) + "'";
}

// Applies one key=value item; false with `error` set when it is not one the dialog offers.
bool ApplyItem(std::string_view item, TFilterCriteria& c, bool& rxErrors, std::string& error) {
    const auto eq = item.find('=');
    const std::string_view key = TrimBlanks(item.substr(0, eq));
    const bool hasValue = eq != std::string_view::npos;
    const std::string_view value = hasValue ? TrimBlanks(item.substr(eq + 1)) : std::string_view{};
    if (key == "rx-errors" || key == "no-slave-selection") {
        if (hasValue) {
            error = Quoted(key) + " is a switch and takes no value";
            return false;
        }
        if (key == "rx-errors")
            rxErrors = true;
        else
            c.SlaveSelect = false;
        return true;
    }
    for (const TListKey& k : kListKeys) {
        if (key != k.Key)
            continue;
        const auto index = hasValue ? ItemIndex(k.Items(), value) : std::nullopt;
        if (!index) {
            error = "invalid value " + Quoted(value) + " for " + Quoted(key);
            return false;
        }
        c.*k.Field = *index;
        return true;
    }
    for (const TTextKey& k : kTextKeys) {
        if (key != k.Key)
            continue;
        if (!hasValue) {
            error = Quoted(key) + " needs a value";
            return false;
        }
        c.Values[k.Field].All = false;
        c.Values[k.Field].Text = std::string(value);
        return true;
    }
    error = "unknown filter key " + Quoted(key);
    return false;
}

} // namespace

bool ParseCriteriaText(std::string_view text, TFilterCriteria& criteria, std::string& error) {
    TFilterCriteria parsed = criteria;
    parsed.Reset();
    bool rxErrors = false;
    if (!TrimBlanks(text).empty()) {
        std::size_t start = 0;
        while (start <= text.size()) {
            const auto comma = std::min(text.find(',', start), text.size());
            const std::string_view item = text.substr(start, comma - start);
            if (TrimBlanks(item).empty()) {
                error = "empty filter criterion";
                return false;
            }
            if (!ApplyItem(item, parsed, rxErrors, error))
                return false;
            start = comma + 1;
        }
    }
    // As in the dialog, a receive-error filter ignores every other criterion.
    if (rxErrors)
        parsed.SetRxErrors(true);
    parsed.FormDeactivate();
    criteria = parsed;
    return true;
}

} // namespace protmon
