#pragma once

#include "analysis/trend_time.h"
#include "decode/service_tables.h"
#include "model/capture_settings.h"
#include "model/list_cursor.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace protmon {

class TCfgRec;
struct TDecodeContext;
class TTelegramList;

// What the series depend on besides the list: the recording's settings and, for scaled values,
// the description set of the L7 decoder (nullptr: raw values). Build it afresh for each update:
// removing the set invalidates the pointer.
struct TTrendContext {
    Protocol Selection = Protocol::Trx5;
    std::uint32_t SourceFlags = 0;
    int TimeStampResolution = 0;
    const TCfgRec* Set = nullptr;
    int Language = 1;
    char DecimalSeparator = '.';
};

// The trend context of what a row decoder reads, with the recording's line-monitor resolution.
TTrendContext MakeTrendContext(const TDecodeContext& decode, int timeStampResolution);

// A parameter value one telegram carries: a write request of services 0 and 1 (address and
// value in the telegram), the parameter write of a process+parameter request (50, 53), or an
// error-free read response of services 0 and 1 or process+parameter response, whose address is
// that of its request. Drive is the request's address byte.
struct TValueHit {
    int Drive = 0;
    std::uint16_t Address = 0;
    std::int32_t Raw = 0; // the decoder's signed 32-bit number
    // The value follows the description's width rule: 16 bits in a telegram without address byte
    // unless the parameter is a full long.
    bool WidthRule = false;
    bool NoAddressByte = false;
};

// Whether a response row shows an error text (its status byte is not 0): such a row carries no
// value and counts as an error response.
bool RowShowsError(const TServiceRow& row, ByteView data);

// The value the entry at `position` carries, if any; a response carries one only when it is
// paired with its request (not an orphan). With onlyDrive >= 0 an entry of another drive is
// passed over before its request is looked for.
std::optional<TValueHit> FindParameterValue(const TTelegramList& list, int position,
                                            std::uint32_t sourceFlags, int onlyDrive = -1);

struct TSeriesKey {
    int Drive = 0;
    std::uint16_t Address = 0;
    bool operator==(const TSeriesKey&) const = default;
};

struct TValuePoint {
    int Position = 0;
    std::int64_t Time = 0; // on the series' time base
    double Value = 0;      // scaled with a description, else the raw number
    std::int32_t Raw = 0;
    std::string Text; // the plain text of a plain-text parameter, else empty
};

// How a described parameter turns raw values into points.
struct TValueScale {
    bool Described = false; // the set knows the parameter
    bool PlainText = false;
    std::string Ident;
    std::string Name;
    std::string Unit; // 8-bit text of the description
};

TValueScale DescribeParameter(const TTrendContext& ctx, std::uint16_t address);

// The point value of a hit; nullopt where the description cannot compute it.
std::optional<TValuePoint> MakeValuePoint(const TTrendContext& ctx, const TValueScale& scale,
                                          const TValueHit& hit);

struct TValueSeries {
    TSeriesKey Key;
    TimeBasis TimeBase = TimeBasis::Position;
    TValueScale Scale;
    std::vector<TValuePoint> Points;
    // Each point as plotted: time axis value (TEntryClock::AxisValue) and value, side by side
    // for the chart's reduction to the view.
    std::vector<double> X;
    std::vector<double> Y;
};

// The series of one drive and parameter, kept up to date with a growing list: each update
// handles only the entries appended since the last one.
class TValueSeriesBuilder {
public:
    explicit TValueSeriesBuilder(TSeriesKey key) { series_.Key = key; }

    // Rebuilds when the list was replaced or its ring wrapped, or the context changed.
    void Update(const TTelegramList& list, const TTrendContext& ctx);
    const TValueSeries& Series() const { return series_; }

private:
    void Restart(const TTelegramList& list, const TTrendContext& ctx);

    TValueSeries series_;
    TListCursor follower_;
    TEntryClock clock_;
    TTrendContext ctx_;
    bool started_ = false;
};

struct TParameterCount {
    int Drive = 0;
    std::uint16_t Address = 0;
    int Points = 0;
};

// Which parameters a recording holds, per drive, with the number of values of each.
class TParameterInventory {
public:
    void Update(const TTelegramList& list, const TTrendContext& ctx);
    // Sorted by drive, then address.
    std::vector<TParameterCount> Counts() const;

private:
    TListCursor follower_;
    std::uint32_t sourceFlags_ = 0;
    Protocol selection_ = Protocol::Trx5;
    std::map<std::uint32_t, int> counts_; // drive << 16 | address
};

} // namespace protmon
