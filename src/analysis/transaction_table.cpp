#include "analysis/transaction_table.h"

#include "decode/decode_row.h"
#include "decode/service_tables.h"
#include "model/byte_view.h"

#include <algorithm>
#include <utility>

namespace protmon {

namespace {

// Whether the row of a response shows an error text: the decoder shows one exactly when the row
// has a status byte and that byte is not 0.
bool ResponseShowsError(ByteView data) {
    const std::uint8_t service = data.at(1);
    const TServiceRow* row = FindServiceRow(SelectServiceTable(service), service & 0x3F);
    if (row == nullptr || row->Done == Completion::None)
        return false;
    const std::size_t pos =
        row->ErrorCounted ? row->ErrorPos + 1u + data.at(row->ErrorPos) : row->ErrorPos;
    return data.at(pos) != 0;
}

TTransaction MakeRecord(const TTelEntry& e, Protocol selection) {
    TTransaction t;
    t.Time = TimeOf(e);
    if (selection == Protocol::Raw)
        return t;
    // Fields are read only within the bytes a stored telegram can occupy, as the decoder does.
    const ByteView d(e.Data.data(), kMaxStoredTelegram);
    t.Address = d.at(0);
    t.Service = d.at(1);
    if (t.Address == 0) {
        t.Role = TransactionRole::Status;
    } else if ((t.Service & 0x80) == 0) {
        t.Role = TransactionRole::Request;
    } else {
        t.Role = TransactionRole::Response;
        t.Error = ResponseShowsError(d);
    }
    return t;
}

} // namespace

void TTransactionTable::Reset(const TTransactionSettings& settings, int capacity) {
    settings_ = settings;
    ring_.assign(static_cast<std::size_t>(std::max(capacity, 1)), TTransaction{});
    head_ = 0;
    size_ = 0;
}

void TTransactionTable::Rebuild(const TTelegramList& list, const TTransactionSettings& settings) {
    Reset(settings, std::max(list.Capacity(), list.Count()));
    for (int i = 0; i < list.Count(); ++i)
        Append(*list.At(ListPositionOf(list, i)));
}

void TTransactionTable::AppendNewest(const TTelegramList& list, int count) {
    count = std::min(count, list.Count());
    for (int i = list.Count() - count; i < list.Count(); ++i)
        Append(*list.At(ListPositionOf(list, i)));
}

void TTransactionTable::Append(const TTelEntry& entry) {
    if (size_ == Capacity())
        DropOldest();
    TTransaction& t = ring_[Slot(size_)];
    t = MakeRecord(entry, settings_.Selection);
    ++size_;
    if (t.Role == TransactionRole::Response)
        PairResponse(t);
}

void TTransactionTable::PairResponse(TTransaction& response) {
    const int index = size_ - 1;
    const int back = FindRequestBack(response.Address, response.Service, index,
                                     settings_.SourceFlags, [this, index](int b) {
                                         const TTransaction& c = At(index - b);
                                         return std::pair<int, int>(c.Address, c.Service);
                                     });
    if (back == 0)
        return;
    TTransaction& candidate = Mutable(index - back);
    // The decoder's search ends at the nearest request; taken already, it makes an orphan.
    if (candidate.Answers > 0)
        return;
    response.RequestBack = static_cast<std::uint8_t>(back);
    response.ResponseTimeUs =
        ResponseTimeUs(candidate.Time, response.Time, settings_.TimeStampResolution);
    candidate.Answers = 1;
}

void TTransactionTable::DropOldest() {
    // The response of the dropped request lies within the next 9 records; it becomes an orphan,
    // as the decoder's search no longer reaches a request that left the list.
    if (const int response = ResponseIndex(0); response > 0) {
        TTransaction& r = Mutable(response);
        r.RequestBack = 0;
        r.ResponseTimeUs = kUnknownTime;
    }
    head_ = (head_ + 1) % ring_.size();
    --size_;
}

int TTransactionTable::RequestIndex(int index) const {
    if (index < 0 || index >= size_)
        return -1;
    const int back = At(index).RequestBack;
    return back == 0 ? -1 : index - back;
}

int TTransactionTable::ResponseIndex(int index) const {
    if (index < 0 || index >= size_ || At(index).Answers == 0)
        return -1;
    const int last = std::min(index + kRequestSearchDepth, size_ - 1);
    for (int i = index + 1; i <= last; ++i)
        if (At(i).RequestBack == i - index)
            return i;
    return -1;
}

int TTransactionTable::PartnerIndex(int index) const {
    if (index < 0 || index >= size_)
        return -1;
    if (At(index).Role == TransactionRole::Response)
        return RequestIndex(index);
    return ResponseIndex(index);
}

std::uint8_t TTransactionTable::DriveOf(int index) const {
    const TTransaction& t = At(index);
    if (t.Role != TransactionRole::Response)
        return t.Address;
    const int request = RequestIndex(index);
    return request >= 0 ? At(request).Address : RequestAddressFor(t.Address, settings_.SourceFlags);
}

int PairedRequestPosition(const TTelegramList& list, int position, std::uint32_t sourceFlags) {
    const int request = FindRequestForResponse(list, position, sourceFlags);
    if (request < 0)
        return -1;
    // Taken by an earlier response: one between the two whose own search ends at it.
    for (int p = request + 1; p < position; ++p)
        if (FindRequestForResponse(list, p, sourceFlags) == request)
            return -1;
    return request;
}

int ListPositionOf(const TTelegramList& list, int index) {
    const int count = list.Count();
    if (count == 0)
        return -1;
    const int oldest = std::clamp(list.WriteIndex(), 0, count - 1);
    return (oldest + index) % count;
}

int ArrivalIndexOf(const TTelegramList& list, int position) {
    const int count = list.Count();
    if (count == 0)
        return -1;
    const int oldest = std::clamp(list.WriteIndex(), 0, count - 1);
    return (position - oldest + count) % count;
}

} // namespace protmon
