#include "descriptions/cfg_list.h"
#include "descriptions/code_page.h"
#include "descriptions/language_file_name.h"
#include "model/progress.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace protmon {
namespace {

TParaRec ParaAt(std::int16_t address) {
    TParaRec p;
    p.Address = address;
    return p;
}

TGrpRec Group(std::int16_t base, std::initializer_list<std::int16_t> addresses) {
    TGrpRec g;
    g.BaseAddress = base;
    for (std::int16_t a : addresses)
        g.Params.Add(ParaAt(a));
    return g;
}

TEST(FindPara, HomeGroupFirstThenListOrder) {
    TCfgRec cfg;
    EXPECT_EQ(cfg.FindPara(0x100), nullptr) << "no groups";
    cfg.Groups.Add(Group(0x0080, {0x0100, 0x0081})); // holds a stray 0x0100
    cfg.Groups.Add(Group(0x0100, {0x0101, 0x0100})); // home of 0x0100
    cfg.Groups.Add(Group(0x0100, {0x0102}));         // second group of the same base
    cfg.Groups.Add(Group(static_cast<std::int16_t>(0x8000), {-32768, -1}));
    for (bool indexed : {false, true}) {
        if (indexed)
            cfg.BuildIndex();
        EXPECT_EQ(cfg.FindPara(0x100), cfg.Groups.Items(1)->Params.Items(1)) << indexed;
        EXPECT_EQ(cfg.FindPara(0x102), cfg.Groups.Items(2)->Params.Items(0)) << indexed;
        EXPECT_EQ(cfg.FindPara(0x81), cfg.Groups.Items(0)->Params.Items(1)) << indexed;
        EXPECT_EQ(cfg.FindPara(0x8000), nullptr) << "bit 15 set is never found";
        EXPECT_EQ(cfg.FindPara(0xFFFF), nullptr);
        EXPECT_EQ(cfg.FindPara(0x7FFF), nullptr);
    }
}

// The index must answer exactly as the linear search, whatever the groups look like.
TEST(FindPara, IndexAgreesWithLinearSearch) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 20; ++round) {
        TCfgRec cfg;
        const int groups = 1 + static_cast<int>(rng() % 12);
        for (int g = 0; g < groups; ++g) {
            // Bases from a narrow range so that duplicates and odd bases occur.
            const auto base =
                static_cast<std::int16_t>((rng() % 6) * 128 + (rng() % 8 == 0 ? 5 : 0));
            TGrpRec grp = Group(base, {});
            const int params = 1 + static_cast<int>(rng() % 20);
            for (int p = 0; p < params; ++p)
                grp.Params.Add(ParaAt(static_cast<std::int16_t>(rng() % 800) - 16));
            cfg.Groups.Add(std::move(grp));
        }
        std::vector<const TParaRec*> linear(65536);
        for (std::size_t a = 0; a < linear.size(); ++a)
            linear[a] = cfg.FindPara(static_cast<std::uint16_t>(a));
        cfg.BuildIndex();
        for (std::size_t a = 0; a < linear.size(); ++a)
            ASSERT_EQ(cfg.FindPara(static_cast<std::uint16_t>(a)), linear[a]) << round << " " << a;
    }
}

TEST(Finders, FirstMatchInListOrder) {
    TGrpList groups;
    groups.Add(Group(0x0100, {1}));
    groups.Add(Group(0x0100, {2}));
    EXPECT_EQ(groups.FindGroup(0x017F), groups.Items(0));
    EXPECT_EQ(groups.FindGroup(0x0180), nullptr);
    EXPECT_EQ(groups.Items(2), nullptr);
    EXPECT_EQ(groups.Items(-1), nullptr);

    TSubList values;
    values.Add({3, 0, "a", "a"});
    values.Add({3, 0, "b", "b"});
    EXPECT_EQ(values.FindValue(3)->ValueName, "a");
    EXPECT_EQ(values.FindValue(4), nullptr);
    EXPECT_EQ(values.Items(1)->GetName(1), "b");
}

TEST(LanguageFileName, TakesCharactersFiveToEight) {
    struct Case {
        const char* path;
        char letter;
        const char* expected;
    } cases[] = {
        {"/data/Para0812.bin", 'd', "/data/LNG0812d.add"},
        {"Para0001.bin", 'a', "LNG0001a.add"},
        {"/x/P.bin", 'a', "/x/LNGna.add"},
        {"/x/Para", 'a', "/x/LNGa.add"},
        {"/x/Par", 'r', "/x/LNGr.add"},
        {"", 'f', "LNGf.add"},
        {"/x.y/ParaAB.bin", 'i', "/x.y/LNGAB.bi.add"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LanguageFileName(c.path, c.letter), c.expected) << c.path;
}

TEST(LanguageFileName, FoundRegardlessOfCase) {
    namespace fs = std::filesystem;
    test::TTempDir scratch;
    const fs::path dir = scratch.Path() / "case";
    struct Case {
        const char* name;
        std::vector<const char*> files; // in the folder; a trailing '/' makes a folder
        const char* found;              // what FindFileIgnoringCase gives for LNG0001d.add
    } cases[] = {
        {"exact name only", {"LNG0001d.add"}, "LNG0001d.add"},
        {"exact name first", {"lng0001d.add", "LNG0001d.add", "LNG0001D.ADD"}, "LNG0001d.add"},
        {"lower case", {"lng0001d.add"}, "lng0001d.add"},
        {"upper case", {"LNG0001D.ADD"}, "LNG0001D.ADD"},
        {"of two, byte order", {"lng0001d.add", "LNG0001D.ADD"}, "LNG0001D.ADD"},
        {"a folder is no file", {"lng0001d.add/"}, "LNG0001d.add"},
        {"other name", {"LNG0001a.add", "LNG0001d.ad"}, "LNG0001d.add"},
        {"empty folder", {}, "LNG0001d.add"},
    };
    for (const Case& c : cases) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        for (const std::string file : c.files) {
            if (file.back() == '/')
                fs::create_directory(dir / file.substr(0, file.size() - 1));
            else
                std::ofstream(dir / file) << "x";
        }
        EXPECT_EQ(FindFileIgnoringCase((dir / "LNG0001d.add").string()), (dir / c.found).string())
            << c.name;
    }
    EXPECT_EQ(FindFileIgnoringCase((dir / "missing/LNG0001d.add").string()),
              (dir / "missing/LNG0001d.add").string());

    // A description copied from Windows with its language file in lower case gets its names.
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path data(PROTMON_TEST_DATA);
    fs::copy_file(data / "Para0001.bin", dir / "PARA0001.BIN");
    fs::copy_file(data / "LNG0001d.add", dir / "lng0001d.add");
    TZXCfgList list;
    const std::string description = (dir / "PARA0001.BIN").string();
    ASSERT_EQ(list.LoadDescriptionFile(description, false), 0);
    EXPECT_EQ(LoadLanguageFor(*list.GetCfg(0), description, 'd'), 0);
    EXPECT_EQ(list.GetCfg(0)->FindPara(0x0087)->GetName(1), "K\xFChlk\xF6rpertemperatur");
}

TEST(ProgressRange, IgnoresValuesOutsideItsRules) {
    TProgressRange r;
    EXPECT_FALSE(r.SetMax(-1));
    EXPECT_EQ(r.Max(), 100);
    EXPECT_TRUE(r.SetMax(10));
    EXPECT_FALSE(r.SetMin(10)) << "not below Max";
    EXPECT_FALSE(r.SetMin(-1));
    EXPECT_TRUE(r.SetMin(9));
    EXPECT_FALSE(r.SetActVal(8));
    EXPECT_FALSE(r.SetActVal(11));
    EXPECT_TRUE(r.SetActVal(10));
    EXPECT_EQ(r.ActVal(), 10);
    EXPECT_FALSE(CancelButtonVisible("   "));
    EXPECT_FALSE(CancelButtonVisible(" \t\r\n"));
    EXPECT_TRUE(CancelButtonVisible(" Cancel "));
}

TEST(CodePage, RussianIsCp1251OthersLatin1) {
    EXPECT_EQ(CodePageForLanguage('r'), CodePage::Cp1251);
    EXPECT_EQ(CodePageForLanguage('d'), CodePage::Latin1);
    EXPECT_EQ(ToUtf8("\xC4\xB0", CodePage::Latin1), "\xC3\x84\xC2\xB0");             // Ä°
    EXPECT_EQ(ToUtf8("\xC4\xE0\xB0", CodePage::Cp1251), "\xD0\x94\xD0\xB0\xC2\xB0"); // Да°
    EXPECT_EQ(ToUtf8("\x98", CodePage::Cp1251), "\xEF\xBF\xBD");
    EXPECT_EQ(ToUtf8("\x88", CodePage::Cp1251), "\xE2\x82\xAC");
}

} // namespace
} // namespace protmon
