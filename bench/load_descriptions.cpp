// Loading a large description file, and the lookups the decoder makes for every row.

#include "descriptions/cfg_list.h"
#include "descriptions/description_writer.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using namespace protmon;

// groups x perGroup parameters, a third of them with bit-field plain texts.
TDescriptionDef MakeDescription(int groups, int perGroup) {
    TDescriptionDef d;
    d.FileId = 42;
    for (std::uint16_t t = 1; t <= 20; ++t) {
        TPlainTextDef pt{t, {}};
        for (int bit = 0; bit < 8; ++bit) {
            TFieldDef f{1 << bit, "Field " + std::to_string(bit), {}};
            f.Values = {{0, "Off"}, {1 << bit, "Bit " + std::to_string(bit) + " on"}};
            pt.Fields.push_back(std::move(f));
        }
        d.PlainTexts.push_back(std::move(pt));
    }
    for (int g = 0; g < groups; ++g) {
        TGroupDef grp{static_cast<std::int16_t>(g * 128), "Group " + std::to_string(g), {}};
        for (int i = 0; i < perGroup; ++i) {
            TParaDef p;
            p.Address = static_cast<std::int16_t>(g * 128 + i);
            p.Ident = "P" + std::to_string(i);
            p.Name = "Parameter number " + std::to_string(g * 128 + i);
            p.Attributes = 0x40;
            p.Divisor = 10;
            p.Format = MakeFormat(21, 0, 1);
            if (i % 3 == 0)
                p.PlainTextType = static_cast<std::uint16_t>(1 + i % 20);
            grp.Params.push_back(std::move(p));
        }
        d.Groups.push_back(std::move(grp));
    }
    return d;
}

class TempFile {
public:
    explicit TempFile(const std::vector<std::uint8_t>& bytes) {
        char name[] = "/tmp/protmon_benchXXXXXX";
        const int fd = ::mkstemp(name);
        path = name;
        if (fd >= 0) {
            [[maybe_unused]] auto n = ::write(fd, bytes.data(), bytes.size());
            ::close(fd);
        }
    }
    ~TempFile() { std::remove(path.c_str()); }
    std::string path;
};

void BM_LoadDescriptionFile5000(benchmark::State& state) {
    TempFile file(WriteDescriptionImage(MakeDescription(40, 125)));
    for (auto _ : state) {
        TZXCfgList list;
        const std::int32_t index = list.LoadDescriptionFile(file.path, false);
        if (index != 0)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(list.GetCfg(0));
    }
}
BENCHMARK(BM_LoadDescriptionFile5000)->Unit(benchmark::kMillisecond);

// FindPara and the value text for one decoded row, over a set of 2000 parameters.
void BM_FindParaAndValueText2000(benchmark::State& state) {
    const auto image = WriteDescriptionImage(MakeDescription(16, 125));
    TZXCfgList list;
    if (list.LoadDescriptionImage(image, "bench.bin", {}, false) != 0) {
        state.SkipWithError("load failed");
        return;
    }
    const TCfgRec& cfg = *list.GetCfg(0);
    std::string row;
    std::uint32_t n = 0;
    for (auto _ : state) {
        const auto address = static_cast<std::uint16_t>((n * 7919u) % 2048u);
        row.assign("Read parameter ");
        if (const TParaRec* p = cfg.FindPara(address)) {
            row += p->GetIdent();
            row += ' ';
            row += p->GetName(1);
            row += " [";
            p->AppendValueText(row, static_cast<std::int32_t>(n & 0xFFFF), 1, "+", true);
            row += ']';
        }
        benchmark::DoNotOptimize(row.data());
        ++n;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FindParaAndValueText2000);

} // namespace
