// The recorder's bookkeeping over arbitrary capture histories: the cursor that finds the entries a
// poll tick wrote (through ring wraps, overruns and Stop's rotation), the change of file by entry
// count and the ring of kept files with the trigger report's location, against a plain model.
#include "fuzz_check.h"
#include "model/list_cursor.h"
#include "session/recorder_policy.h"

#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <vector>

using namespace protmon;

namespace {

std::uint64_t SerialOf(const TTelEntry& e) {
    std::uint64_t serial = 0;
    std::memcpy(&serial, e.Data.data(), sizeof serial);
    return serial;
}

// Files as the recorder writes them: every taken entry goes to the current file, which is closed
// once the policy says so; `ring` keeps what the real recorder would keep.
struct TFileModel {
    struct TFile {
        long long First = 0; // index of its first entry in the written stream
        long long Entries = 0;
        bool Kept = true;
    };
    std::vector<TFile> files;
    long long written = 0;
    long long inFile = 0;

    void Close(TFileRing& ring) {
        if (inFile == 0)
            return;
        files.push_back({written - inFile, inFile, true});
        for (const std::string& gone : ring.Add(std::to_string(files.size() - 1), inFile))
            Forget(gone);
        inFile = 0;
    }
    void Forget(const std::string& path) {
        const std::size_t i = std::stoul(path);
        FUZZ_CHECK(i < files.size() && files[i].Kept);
        files[i].Kept = false;
    }
    // The entry `back` before the newest one in a closed file, as the ring must report it.
    TFileRing::TLocation Locate(long long back) const {
        const long long closed = written - inFile;
        const long long index = closed - 1 - back;
        for (std::size_t i = 0; i < files.size() && index >= 0; ++i) {
            const TFile& f = files[i];
            if (index >= f.First && index < f.First + f.Entries)
                return f.Kept ? TFileRing::TLocation{std::to_string(i), index - f.First}
                              : TFileRing::TLocation{};
        }
        return {};
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    TTelegramList list;
    list.SetBufferDepth(in.ConsumeIntegralInRange<int>(kMinBufferDepth, 40));
    TListCursor cursor;
    cursor.Reset(list);
    TRotationPolicy policy;
    policy.FileEntries = in.ConsumeIntegralInRange<long long>(0, 50);
    TFileRing ring(in.ConsumeIntegralInRange<int>(0, 4));
    TFileModel model;

    std::uint64_t serial = 0;    // serial of the next entry written
    std::uint64_t taken = 0;     // serials below this were handed out or lost
    std::uint64_t lostModel = 0; // entries overwritten before the cursor could see them
    std::vector<int> positions;
    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange<int>(0, 4)) {
        case 0: { // a poll tick writes entries, maybe more than the ring holds
            const int n = in.ConsumeIntegralInRange<int>(0, 3 * list.Capacity());
            for (int i = 0; i < n; ++i) {
                TTelEntry* e = list.NewTelEntry();
                std::memcpy(e->Data.data(), &serial, sizeof serial);
                ++serial;
            }
            break;
        }
        case 1: { // the recorder looks: exactly the entries after the last it took, in order
            const bool hold = in.ConsumeBool();
            cursor.TakeNew(list, hold, positions);
            const std::uint64_t oldest = list.Count() > 0 ? serial - list.Count() : serial;
            if (taken < oldest) {
                lostModel += oldest - taken;
                taken = oldest;
            }
            const std::uint64_t until = hold && serial > taken ? serial - 1 : serial;
            FUZZ_CHECK(positions.size() == until - taken);
            for (const int p : positions) {
                const TTelEntry* e = list.At(p);
                FUZZ_CHECK(e != nullptr && SerialOf(*e) == taken);
                ++taken;
                ++model.written;
                ++model.inFile;
                if (policy.Due(model.inFile, 0))
                    model.Close(ring);
            }
            FUZZ_CHECK(cursor.Lost() == lostModel);
            break;
        }
        case 2: // Stop puts the ring in order, oldest first; or a new capture of what the list
                // holds
            if (in.ConsumeBool()) {
                list.UnwrapTelegramList();
            } else {
                cursor.Reset(list);
                taken = serial - static_cast<std::uint64_t>(list.Count());
            }
            break;
        case 3: // a change of file by signal, or the trigger keeping files before the last
            if (in.ConsumeBool()) {
                model.Close(ring);
            } else {
                const int before = in.ConsumeIntegralInRange<int>(-1, 3);
                for (const std::string& gone : ring.KeepBefore(before))
                    model.Forget(gone);
            }
            break;
        default: { // where the trigger report finds an entry
            const long long back = in.ConsumeIntegralInRange<long long>(0, 200);
            const TFileRing::TLocation got = ring.Locate(back);
            const TFileRing::TLocation want = model.Locate(back);
            FUZZ_CHECK(got.Path == want.Path);
            FUZZ_CHECK(got.Path.empty() || got.Position == want.Position);
            break;
        }
        }
    }
    return 0;
}
