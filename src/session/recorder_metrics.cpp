#include "session/recorder_metrics.h"

#include "capture/capture_link.h"
#include "decode/decode_row.h"
#include "files/entry_bytes.h"
#include "model/line_monitor_settings.h"

#include <algorithm>
#include <cctype>

namespace protmon {

namespace {

// Larger than the request search's reach, so that a record is settled before the table drops it.
constexpr int kTableCapacity = 4 * (kRequestSearchDepth + 1);
// Records after a request beyond which no response can take it.
constexpr std::uint64_t kAnswerReach = kRequestSearchDepth;

int ChannelNumber(const TTelEntry& e) {
    return e.Channel == kNoChannel ? 1 : e.Channel + 1;
}

bool ReceiveErrorOf(std::uint8_t kind, ReceiveErrorKind& out) {
    switch (kind) {
    case kStatusParity:
        out = ReceiveErrorKind::Parity;
        return true;
    case kStatusFraming:
        out = ReceiveErrorKind::Framing;
        return true;
    case kStatusOverrun:
        out = ReceiveErrorKind::Overrun;
        return true;
    case kStatusBcc:
        out = ReceiveErrorKind::Bcc;
        return true;
    case kStatusIllegalFrame:
        out = ReceiveErrorKind::IllegalFrame;
        return true;
    default:
        return false;
    }
}

// Start bit, data bits, parity bit if any, stop bit.
int BitsPerByte(int dataBits, bool parity) {
    return 1 + dataBits + (parity ? 1 : 0) + 1;
}

} // namespace

void TResponseTimeHistogram::Observe(std::int64_t us) {
    ++Count;
    SumUs += us;
    for (std::size_t i = 0; i < kResponseTimeBucketsUs.size(); ++i)
        if (us <= kResponseTimeBucketsUs[i]) {
            ++Buckets[i];
            return;
        }
}

void TSnapshotBox::Publish(std::shared_ptr<const TMetricsSnapshot> snapshot) {
    std::shared_ptr<const TMetricsSnapshot> old;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        old = std::exchange(newest_, std::move(snapshot));
    }
    // The old one is freed outside the lock (unless a scrape still holds it).
}

std::shared_ptr<const TMetricsSnapshot> TSnapshotBox::Newest() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return newest_;
}

std::string ServiceLabel(int key) {
    const std::string_view text = TelegramClassText(static_cast<std::uint8_t>(key & 0x40));
    // "Req Read " -> "read": requests and responses share the label.
    const std::size_t blank = text.find(' ');
    std::string label;
    for (const char c : text.substr(blank == std::string_view::npos ? 0 : blank + 1)) {
        const auto u = static_cast<unsigned char>(c);
        label += std::isalnum(u) ? static_cast<char>(std::tolower(u)) : '_';
    }
    while (!label.empty() && label.back() == '_')
        label.pop_back();
    return label + "_" + std::to_string(key & 0x3F);
}

TRecorderMetrics::TRecorderMetrics(std::string version, Clock::time_point start)
    : version_(std::move(version)), start_(start), lastEntry_(start), lastTelegram_(start) {
    StartPairing();
}

void TRecorderMetrics::NewCapture(const TCaptureSettings& settings) {
    settings_ = settings;
    if (settings.Monitor || (settings.SourceFlags & kSourceLineMonitor) != 0) {
        const TLineMonitorSettings& lm = settings.LineMonitor;
        baud_ = LineMonitorBusBaud(lm.BaudIndex);
        bitsPerByte_ = BitsPerByte(lm.DataBits, lm.Parity != ParityChoice::None);
    } else {
        const TPortFraming framing = CaptureFraming(settings);
        baud_ = BaudBoxRate(settings.BaudIndex);
        bitsPerByte_ = BitsPerByte(framing.DataBits, framing.Parity != 'N');
    }
    StartPairing();
}

void TRecorderMetrics::FileBegun(long long filesBegun) {
    if (filesBegun == filesBegun_)
        return;
    if (filesBegun_ > 0)
        ++fileChanges_;
    filesBegun_ = filesBegun;
    StartPairing();
}

// Whatever is still pending stays unanswered; responses from now on search only new records.
void TRecorderMetrics::StartPairing() {
    SettleUpTo(appended_);
    table_.Reset({settings_.Selection, settings_.SourceFlags, settings_.TimeStampResolution},
                 kTableCapacity);
    appended_ = 0;
    settled_ = 0;
}

TServiceCounts& TRecorderMetrics::Service(int drive, int key) {
    TServiceCounts& s = drives_[drive].Services[key];
    s.Key = key;
    return s;
}

void TRecorderMetrics::Add(const TTelEntry& entry, Clock::time_point now) {
    ++entries_;
    lastEntry_ = now;
    Count(entry, now);
    table_.Append(entry);
    ++appended_;
    CountTransaction(table_.Size() - 1);
    if (appended_ > kAnswerReach)
        SettleUpTo(appended_ - kAnswerReach);
}

void TRecorderMetrics::Count(const TTelEntry& entry, Clock::time_point now) {
    const EntryKind kind = EntryKindOf(entry, settings_.Selection);
    if (kind == EntryKind::Status) {
        ReceiveErrorKind error{};
        if (ReceiveErrorOf(entry.Data[1], error))
            ++receiveErrors_[static_cast<std::size_t>(error)];
        return;
    }
    lastTelegram_ = now;
    std::size_t bytes = MeaningfulBytes(entry, kind);
    if (kind == EntryKind::RawChunk && bytes > 0)
        --bytes; // the count byte is ours, not the line's
    TChannel& c = channels_[ChannelNumber(entry)];
    c.Bytes += bytes;
    const long long second = std::chrono::duration_cast<std::chrono::seconds>(now - start_).count();
    const std::size_t slot = static_cast<std::size_t>(second % 10);
    if (c.Second[slot] != second) {
        c.Second[slot] = second;
        c.Bits[slot] = 0;
    }
    c.Bits[slot] += bytes * static_cast<std::uint64_t>(bitsPerByte_);
}

void TRecorderMetrics::CountTransaction(int index) {
    const TTransaction& t = table_.At(index);
    const int key = t.Service & 0x7F;
    if (t.Role == TransactionRole::Request) {
        ++Service(t.Address, key).Requests;
        return;
    }
    if (t.Role != TransactionRole::Response)
        return;
    const int drive = table_.DriveOf(index);
    TServiceCounts& s = Service(drive, key);
    ++s.Responses;
    if (t.Error)
        ++s.ErrorResponses;
    if (IsOrphan(t))
        ++drives_[drive].Orphans;
    if (t.ResponseTimeUs != kUnknownTime)
        drives_[drive].Times[(key & 0x40) != 0 ? 1 : 0].Observe(t.ResponseTimeUs);
}

void TRecorderMetrics::SettleUpTo(std::uint64_t appended) {
    const std::uint64_t firstHeld = appended_ - static_cast<std::uint64_t>(table_.Size());
    for (std::uint64_t n = std::max(settled_, firstHeld); n < appended; ++n) {
        const TTransaction& t = table_.At(static_cast<int>(n - firstHeld));
        if (t.Role == TransactionRole::Request && t.Answers == 0)
            ++Service(t.Address, t.Service & 0x7F).Unanswered;
    }
    settled_ = std::max(settled_, appended);
}

void TRecorderMetrics::SetSource(const TSource& source) {
    connected_ = source.Connected;
    ringDrops_.Update(source.RingDrops);
    listLost_.Update(source.ListLost);
    systemDrops_.Update(source.SystemDrops);
}

void TRecorderMetrics::Tick(Clock::time_point now) {
    if (settled_ < appended_ && now - lastEntry_ >= kQuietSettle)
        StartPairing();
    if (PublishDue(now)) {
        published_ = now;
        box_.Publish(MakeSnapshot(now));
    }
}

void TRecorderMetrics::Flush(Clock::time_point now) {
    StartPairing();
    published_ = now;
    box_.Publish(MakeSnapshot(now));
}

std::shared_ptr<const TMetricsSnapshot>
TRecorderMetrics::MakeSnapshot(Clock::time_point now) const {
    auto s = std::make_shared<TMetricsSnapshot>();
    for (const auto& [address, d] : drives_) {
        TDriveMetrics m{address, d.Orphans, d.Times, {}};
        for (const auto& entry : d.Services)
            m.Services.push_back(entry.second);
        s->Drives.push_back(std::move(m));
    }
    s->Entries = entries_;
    s->ReceiveErrors = receiveErrors_;
    s->DroppedRingFull = ringDrops_.Value() + listLost_.Value();
    s->DroppedSystem = systemDrops_.Value();
    const long long second = std::chrono::duration_cast<std::chrono::seconds>(now - start_).count();
    for (const auto& [number, c] : channels_) {
        std::uint64_t bits = 0;
        for (std::size_t i = 0; i < c.Bits.size(); ++i)
            if (second - c.Second[i] < 10)
                bits += c.Bits[i];
        const double load = baud_ > 0 ? static_cast<double>(bits) / (baud_ * 10) : 0;
        s->Channels.push_back({number, c.Bytes, load});
    }
    s->Connected = connected_;
    s->LastTelegram = lastTelegram_;
    s->FileChanges = fileChanges_;
    s->Version = version_;
    return s;
}

} // namespace protmon
