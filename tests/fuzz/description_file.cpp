// The description file reader on arbitrary bytes, then value texts of whatever it loaded.
#include "descriptions/cfg_list.h"
#include "fuzz_check.h"

#include <span>

using namespace protmon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TZXCfgList sets;
    const std::int32_t index =
        sets.LoadDescriptionImage(std::span<const std::uint8_t>(data, size), "fuzz.bin", {}, false);
    if (index < 0) {
        FUZZ_CHECK(sets.Count() == 0);
        return 0;
    }
    const TCfgRec* set = sets.GetCfg(index);
    FUZZ_CHECK(set != nullptr);
    // Every loaded parameter must be found and formatted without touching foreign memory.
    int budget = 64;
    for (const auto& group : set->Groups) {
        for (const auto& para : group.Params) {
            if (--budget < 0)
                return 0;
            const auto address = static_cast<std::uint16_t>(para.Address);
            const TParaRec* found = set->FindPara(address);
            FUZZ_CHECK(para.Address < 0 || found != nullptr);
            for (std::int32_t v : {0, 1, -1, 0x7FFFFFFF, static_cast<std::int32_t>(0x80000000u)}) {
                para.GetValueText(v, 1, "+", true);
                para.GetValueText(v, 0, ", ", false, ',');
            }
        }
    }
    return 0;
}
