#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace protmon {

// Item lists of the filter dialog, as offered to the user. Index 0 is always "All".
std::span<const std::string_view> IdItems();          // "All", "0" .. "9", "A" .. "F"
std::span<const std::string_view> ReqRspItems();      // "All", "Req", "Rsp"
std::span<const std::string_view> ReadWriteItems();   // "All", "Read", "Write"
std::span<const std::string_view> ServiceItems();     // "All" and the 31 service numbers
std::span<const std::string_view> AcknowledgeItems(); // "All", "0 ", "1" .. "15", ">0"

constexpr int kAckGreaterZeroIndex = 17;

// Fixed texts of the filter dialog.
inline constexpr std::string_view kIncludeFilterCaption = "Filter settings";
inline constexpr std::string_view kExcludeFilterCaption = "Display exclude filter settings";
inline constexpr std::array<std::string_view, 3> kFilterNote = {
    "NOTE:To pass the filter, every field", "here must fit to a single telegram.",
    "Select ALL to disable a field from checking."};

// Value criteria with a text field and an "All" box, in the order the match tests them after
// the acknowledge (ParameterData, Address, PD1 .. PD4).
enum ValueField { kFieldData, kFieldAddress, kFieldPD1, kFieldPD2, kFieldPD3, kFieldPD4 };
constexpr int kValueFieldCount = 6;

struct TTextCriterion {
    bool All = true;  // the "All" box; the text field is enabled while it is unchecked
    std::string Text; // as typed, read with ParseNumberText when tested
};

// One filter: the criteria its dialog edits, kept for the life of the program. The dialog copies
// its controls into this object and back; every rule about them lives here.
class TFilterCriteria {
public:
    TFilterCriteria();

    // List indices as in the item lists above (0 = "All").
    int IDHigh = 0;
    int IDLow = 0;
    int ReqRsp = 0;
    int ReadWrite = 0;
    int Service = 0;
    int Acknowledge = 0;
    std::array<TTextCriterion, kValueFieldCount> Values;
    bool RxErrors = false;   // "Receive Errors"
    bool SlaveSelect = true; // "SlaveSelection"

    // "Reset Filter": lists to "All", "All" boxes and "SlaveSelection" checked, "Receive Errors"
    // unchecked unless `keepRxErrors`, FilterActive cleared. Texts stay as typed.
    void Reset(bool keepRxErrors = false);
    void ResetFilterClick() { Reset(false); }
    // Checking "Receive Errors" resets everything else, since such a filter ignores the rest.
    void SetRxErrors(bool checked);
    // The dialog lost activation (also when it closed): recompute FilterActive.
    void FormDeactivate() { filterActive_ = !IsNeutral(); }

    bool FilterActive() const { return filterActive_; }
    // Every criterion at its neutral setting.
    bool IsNeutral() const;
    // Every value criterion (acknowledge and the six text fields) neutral.
    bool ValuesNeutral() const;
    // The text field of `field` is editable.
    bool FieldEnabled(ValueField field) const { return !Values[field].All; }

private:
    bool filterActive_ = false;
};

} // namespace protmon
