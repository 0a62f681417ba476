#include "analysis/transaction_table.h"

#include "decode/service_tables.h"
#include "model/byte_view.h"

#include <algorithm>

namespace protmon {

namespace {

// How far back the decoder looks for a response's request.
constexpr int kRequestSearchDepth = 9;

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

// The address rule of the request search: with the fieldbus operator (Comm bit) a response
// carries the operator's address, one above the drive's, and 15 wraps to 1.
bool AddressesMatch(std::uint8_t request, std::uint8_t response, bool comm) {
    if (!comm)
        return request == response;
    return request + 1 == response || (response == 1 && request == 15);
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
    const bool comm = (settings_.SourceFlags & kSourceComm) != 0;
    const int depth = std::min(kRequestSearchDepth, index);
    for (int back = 1; back <= depth; ++back) {
        TTransaction& candidate = Mutable(index - back);
        // A status entry (address byte 0) answers nothing.
        if (candidate.Address == 0 || !AddressesMatch(candidate.Address, response.Address, comm))
            continue;
        if (response.Service - candidate.Service != 128)
            continue;
        response.RequestBack = static_cast<std::uint8_t>(back);
        response.ResponseTimeUs =
            ResponseTimeUs(candidate.Time, response.Time, settings_.TimeStampResolution);
        ++candidate.Answers;
        return;
    }
}

void TTransactionTable::DropOldest() {
    // Responses of the dropped request lie within the next 9 records; they lose their pair, as
    // the decoder's search no longer reaches a request that left the list.
    if (At(0).Answers > 0) {
        const int last = std::min(kRequestSearchDepth, size_ - 1);
        for (int i = 1; i <= last; ++i) {
            TTransaction& r = Mutable(i);
            if (r.RequestBack == i) {
                r.RequestBack = 0;
                r.ResponseTimeUs = kUnknownTime;
            }
        }
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

std::vector<int> TTransactionTable::ResponseIndices(int index) const {
    std::vector<int> out;
    if (index < 0 || index >= size_ || At(index).Answers == 0)
        return out;
    const int last = std::min(index + kRequestSearchDepth, size_ - 1);
    for (int i = index + 1; i <= last; ++i)
        if (At(i).RequestBack == i - index)
            out.push_back(i);
    return out;
}

int TTransactionTable::PartnerIndex(int index) const {
    if (index < 0 || index >= size_)
        return -1;
    if (At(index).Role == TransactionRole::Response)
        return RequestIndex(index);
    const std::vector<int> responses = ResponseIndices(index);
    return responses.empty() ? -1 : responses.front();
}

std::uint8_t TTransactionTable::DriveOf(int index) const {
    const int request = RequestIndex(index);
    return request >= 0 ? At(request).Address : At(index).Address;
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
