#include "descriptions/cfg_list.h"
#include "descriptions/description_writer.h"

#include <gtest/gtest.h>
#include <random>

namespace protmon {
namespace {

TDescriptionDef Small() {
    TDescriptionDef d;
    d.FileId = 3;
    d.PlainTexts = {{1, {{0x3, "f", {{1, "one"}, {2, "two"}}}}}};
    TParaDef p;
    p.Address = 0x101;
    p.PlainTextType = 1;
    p.Name = "p";
    d.Groups = {{0x100, "g", {p, p}}, {0x180, "h", {p}}};
    d.Info = TInfoDef{};
    d.Extra = 1;
    return d;
}

// Corrupted files of both kinds load or fail, but never read outside the file.
TEST(CorruptFiles, RandomByteChangesNeverCrash) {
    const auto bin = WriteDescriptionImage(Small());
    TLanguageDef l;
    l.FileId = 3;
    l.GroupNames = {{0x100, "G"}};
    l.ParaNames = {{0x101, "P"}, {0x102, "Q"}};
    l.PlainTexts = {{1, {{0x3, "F", {{1, "Eins"}, {2, "Zwei"}}}}}};
    const auto add = WriteLanguageImage(l);
    std::mt19937 rng(777);
    std::size_t sink = 0;
    for (int round = 0; round < 1500; ++round) {
        auto b = bin;
        auto a = add;
        for (int k = 0; k < 1 + round % 4; ++k) {
            b[rng() % b.size()] = static_cast<std::uint8_t>(rng());
            a[rng() % a.size()] = static_cast<std::uint8_t>(rng());
        }
        if (round % 5 == 0)
            b.resize(rng() % b.size());
        TZXCfgList list;
        const std::int32_t rc = list.LoadDescriptionImage(b, "x.bin", {}, false);
        ASSERT_TRUE(rc == 0 || rc == kCfgReadFailed) << round;
        TCfgRec* cfg = list.GetCfg(0);
        if (!cfg)
            continue;
        cfg->LoadLanguageImage(a);
        for (std::uint16_t address : {0x100, 0x101, 0x102})
            if (const TParaRec* p = cfg->FindPara(address))
                sink += p->GetValueText(static_cast<std::int32_t>(rng()), 1, "+", true).size();
    }
    EXPECT_GT(sink + 1, 0u);
}

} // namespace
} // namespace protmon
