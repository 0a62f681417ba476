#include "descriptions/cfg_list.h"
#include "descriptions/description_format.h"
#include "descriptions/description_writer.h"
#include "model/progress.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <string>

namespace protmon {
namespace {

TParaDef Para(std::int16_t address, const char* ident, const char* name, std::uint16_t pt = 0,
              std::uint32_t flags = 0) {
    TParaDef p;
    p.Address = address;
    p.Ident = ident;
    p.Name = name;
    p.PlainTextType = pt;
    p.Flags = flags;
    p.Format = MakeFormat(21, 0, 1);
    p.Divisor = 10;
    return p;
}

// Two plain-text types (one without field table), a group with a hidden parameter, a group with
// only hidden parameters, a group without parameter table and one holding an address from
// another group's range.
TDescriptionDef SmallDescription() {
    TDescriptionDef d;
    d.FileId = 0x1234;
    d.PlainTexts = {
        {1, {{0x03, "state", {{0, "Off"}, {1, "On"}}}, {0x0C, "mode", {{4, "Fast"}}}}},
        {2, {}, false},
    };
    d.Groups = {
        {0x0100,
         "Drive",
         {Para(0x100, "P100", "Status", 1), Para(0x101, "P101", "Voltage", 99),
          Para(0x102, "P102", "Secret", 0, kFlagHidden)}},
        {0x0180, "Hidden", {Para(0x180, "H180", "Gone", 0, kFlagHidden | 1)}},
        {0x0280, "Empty", {}, false},
        {0x0200, "Motor", {Para(0x201, "P201", "Speed", 2), Para(0x105, "P105", "Stray")}},
    };
    d.Info = TInfoDef{"info one", "info two", {1, 2, 3, 4, 5, 6, 7, 8}, {9, 10, 11}, 12};
    d.Extra = 0x12345678;
    return d;
}

TLanguageDef GermanFor(std::uint32_t fileId) {
    TLanguageDef l;
    l.FileId = fileId;
    l.GroupNames = {{0x0123, "Antrieb"}, {0x7F00, "Nirgends"}};
    l.ParaNames = {{0x0100, "Zustand"}, {0x0999, "Unbekannt"}, {0x0201, "Drehzahl"}};
    l.PlainTexts = {{1, {{0x03, "Zustand", {{1, "Ein"}, {7, "Keiner"}}}, {0x30, "fehlt", {}}}},
                    {42, {{0x01, "x", {{1, "y"}}}}}};
    return l;
}

std::int32_t Load(TZXCfgList& list, const std::vector<std::uint8_t>& image, bool progress = false) {
    return list.LoadDescriptionImage(image, "mem.bin", {}, progress);
}

TEST(DescriptionReader, LoadsRecordsAndDropsHiddenAndEmpty) {
    TZXCfgList list;
    ASSERT_EQ(Load(list, WriteDescriptionImage(SmallDescription())), 0);
    const TCfgRec& cfg = *list.GetCfg(0);
    EXPECT_EQ(cfg.FileId, 0x1234u);
    EXPECT_TRUE(cfg.HeaderFlag);
    ASSERT_EQ(cfg.Groups.Count(), 2);
    EXPECT_EQ(cfg.Groups.Items(0)->Name, "Drive");
    EXPECT_EQ(cfg.Groups.Items(0)->Params.Count(), 2);
    EXPECT_EQ(cfg.Groups.Items(1)->Name, "Motor");
    EXPECT_EQ(cfg.FindPara(0x102), nullptr) << "hidden parameter";
    EXPECT_EQ(cfg.FindPara(0x180), nullptr) << "group of hidden parameters";
    EXPECT_EQ(cfg.PlainTexts.Count(), 2);
    EXPECT_EQ(cfg.PlainTexts.Items(1)->Fields.Count(), 0);
    EXPECT_EQ(cfg.InfoText2, "info two");
    EXPECT_EQ(cfg.InfoWord6to8[2], 8);
    EXPECT_EQ(cfg.InfoLong[2], 11);
    EXPECT_EQ(cfg.InfoByte, 12);
    EXPECT_EQ(cfg.ExtraWord, 0x5678);
    EXPECT_EQ(cfg.FileName, "mem.bin");
}

TEST(DescriptionReader, LinksPlainTextsAndFindsStrayAddresses) {
    TZXCfgList list;
    ASSERT_EQ(Load(list, WriteDescriptionImage(SmallDescription())), 0);
    const TCfgRec& cfg = *list.GetCfg(0);
    const TParaRec* status = cfg.FindPara(0x100);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->GetIdent(), "P100");
    EXPECT_EQ(status->GetValueText(5, 1, "+", true), "On+Fast: 5");
    const TParaRec* voltage = cfg.FindPara(0x101);
    ASSERT_NE(voltage, nullptr);
    EXPECT_EQ(voltage->PlainText, nullptr) << "type 99 has no entry";
    EXPECT_EQ(voltage->GetValueText(1234, 1, "+", true), "123.4 V");
    const TParaRec* speed = cfg.FindPara(0x201);
    ASSERT_NE(speed, nullptr);
    EXPECT_EQ(speed->GetValueText(7, 1, "+", true), "0.7 V") << "entry without fields";
    const TParaRec* stray = cfg.FindPara(0x105);
    ASSERT_NE(stray, nullptr);
    EXPECT_EQ(stray->Name, "Stray");
}

TEST(DescriptionReader, LowerCaseMarkerAndExtraTableOfVersion53) {
    TDescriptionDef d = SmallDescription();
    d.Marker = "zentraxo50_bin";
    std::vector<std::uint8_t> image = WriteDescriptionImage(d);
    ASSERT_EQ(image[0], 0xCB);
    ASSERT_EQ(image[1], 0xFF);
    TZXCfgList list;
    ASSERT_EQ(Load(list, image), 0);
    EXPECT_EQ(list.GetCfg(0)->ExtraWord, 0x5678);
}

TEST(DescriptionReader, VersionRules) {
    struct Case {
        std::int16_t version;
        bool headerFlag;
        bool extra;
        std::int32_t result;
        std::uint16_t extraWord;
    } cases[] = {
        {-51, true, false, kCfgReadFailed, 0},
        {0, true, false, kCfgReadFailed, 0},
        {-52, true, false, 0, 0xFFFF},
        {-52, false, false, 0, 0x3200},
        {-53, true, false, 0, 0},
        {-60, false, true, 0, 0x5678},
    };
    for (const Case& c : cases) {
        TDescriptionDef d = SmallDescription();
        d.Version = c.version;
        d.HeaderFlag = c.headerFlag;
        if (!c.extra)
            d.Extra.reset();
        TZXCfgList list;
        EXPECT_EQ(Load(list, WriteDescriptionImage(d)), c.result) << c.version;
        if (c.result == 0) {
            EXPECT_EQ(list.GetCfg(0)->ExtraWord, c.extraWord) << c.version;
        } else {
            EXPECT_EQ(list.Count(), 0);
        }
    }
}

TEST(DescriptionReader, WrongMarkerRefused) {
    TDescriptionDef d = SmallDescription();
    d.Marker = "ZENTRAXO50_ADD";
    TZXCfgList list;
    EXPECT_EQ(Load(list, WriteDescriptionImage(d)), kCfgReadFailed);
    d.Marker = "ZENTRAXO50_BIN";
    d.Marker[3] = '\xD4'; // only a-z are folded
    EXPECT_EQ(Load(list, WriteDescriptionImage(d)), kCfgReadFailed);
}

TEST(DescriptionReader, SameFileIdGivesSameSet) {
    TZXCfgList list;
    const auto image = WriteDescriptionImage(SmallDescription());
    TDescriptionDef other = SmallDescription();
    other.FileId = 77;
    ASSERT_EQ(Load(list, image), 0);
    ASSERT_EQ(Load(list, WriteDescriptionImage(other)), 1);
    EXPECT_EQ(Load(list, image), 0);
    EXPECT_EQ(list.Count(), 2);
    list.RemoveCfg(0);
    EXPECT_EQ(list.GetCfg(0)->FileId, 77u) << "later sets move down";
    list.RemoveCfg(5);
    list.RemoveCfg(-1);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetCfg(-1), nullptr);
    EXPECT_EQ(list.GetCfg(1), nullptr);
}

TEST(DescriptionReader, MissingTablesAndDefaults) {
    TDescriptionDef d = SmallDescription();
    d.HasPlainTextTable = false;
    d.Info.reset();
    TZXCfgList list;
    ASSERT_EQ(Load(list, WriteDescriptionImage(d)), 0);
    const TCfgRec& cfg = *list.GetCfg(0);
    EXPECT_EQ(cfg.PlainTexts.Count(), 0);
    EXPECT_EQ(cfg.FindPara(0x100)->PlainText, nullptr);
    EXPECT_EQ(cfg.FindPara(0x100)->GetValueText(5, 1, "+", true), "0.5 V");
    EXPECT_EQ(cfg.InfoText1, "");
    EXPECT_EQ(cfg.InfoWord1to5[4], -1);
    EXPECT_EQ(cfg.InfoLong[0], 0);
    EXPECT_EQ(cfg.InfoByte, 7);

    d.HasGroupTable = false;
    d.FileId = 99;
    ASSERT_EQ(Load(list, WriteDescriptionImage(d)), 1);
    EXPECT_EQ(list.GetCfg(1)->FindPara(0x100), nullptr);
}

TEST(DescriptionReader, EveryTruncationFailsWithoutCrash) {
    TDescriptionDef d = SmallDescription();
    for (std::int16_t version : {std::int16_t{-52}, std::int16_t{-53}}) {
        d.Version = version;
        const auto image = WriteDescriptionImage(d);
        for (std::size_t len = 0; len < image.size(); ++len) {
            TZXCfgList list;
            const std::vector<std::uint8_t> cut(image.begin(), image.begin() + len);
            ASSERT_EQ(Load(list, cut), kCfgReadFailed)
                << "version " << version << " length " << len;
            ASSERT_EQ(list.Count(), 0);
        }
    }
}

void PutI32(std::vector<std::uint8_t>& image, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        image[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t GetI32(const std::vector<std::uint8_t>& image, std::size_t at) {
    return image[at] | (image[at + 1] << 8) | (image[at + 2] << 16) |
           (std::uint32_t{image[at + 3]} << 24);
}

TEST(DescriptionReader, HugeCountsAndBadOffsetsFail) {
    const auto good = WriteDescriptionImage(SmallDescription());
    const std::size_t groupTable = GetI32(good, 22);
    const std::size_t plainTable = GetI32(good, 26);
    struct Case {
        std::size_t at;
        std::uint32_t value;
    } cases[] = {
        {groupTable, 0x80000000u},
        {groupTable, 0x7FFFFFFFu},
        {plainTable, 0x7FFFFFFFu},
        {22, 0x7FFFFFF0u},
        {26, 0xFFFFFFF0u},
        {30, static_cast<std::uint32_t>(good.size() - 10)},
        {34, static_cast<std::uint32_t>(good.size())},
        // The first field table offset points past the end.
        {plainTable + 4 + 2, static_cast<std::uint32_t>(good.size() + 1)},
    };
    for (const Case& c : cases) {
        auto image = good;
        PutI32(image, c.at, c.value);
        TZXCfgList list;
        EXPECT_EQ(Load(list, image), kCfgReadFailed) << c.at << " " << c.value;
    }
    // A negative extra table count is no extra word.
    auto image = good;
    PutI32(image, GetI32(good, 34), 0x80000000u);
    TZXCfgList list;
    ASSERT_EQ(Load(list, image), 0);
    EXPECT_EQ(list.GetCfg(0)->ExtraWord, 0);
}

TEST(DescriptionReader, SharedTablesCannotMultiplyWithoutBound) {
    // 2000 plain-text types all pointing at one field table whose 2000 fields all point at one
    // value table of 2000 values: 8 billion records if followed naively.
    TDescriptionDef d;
    d.FileId = 5;
    TPlainTextDef entry{1, {}};
    entry.Fields.assign(2000, TFieldDef{1, "f", {}});
    for (int i = 0; i < 2000; ++i)
        entry.Fields[0].Values.push_back({i, "v"});
    d.PlainTexts.assign(1, entry);
    auto image = WriteDescriptionImage(d);
    const std::size_t plainTable = GetI32(image, 26);
    const std::uint32_t fieldTable = GetI32(image, plainTable + 6);
    const std::uint32_t valueTable = GetI32(image, fieldTable + 4 + 52);
    for (int i = 0; i < 2000; ++i)
        PutI32(image, fieldTable + 4 + 56 * static_cast<std::size_t>(i) + 52, valueTable);
    TZXCfgList list;
    EXPECT_EQ(Load(list, image), kCfgReadFailed);
}

class FakeProgress : public IProgress {
public:
    void SetTitle(const std::string& t) override { title = t; }
    void SetText(const std::string&) override {}
    void SetCancelText(const std::string&) override {}
    void SetMin(int) override {}
    void SetMax(int v) override { maxima.push_back(v); }
    void SetActVal(int) override {
        ++steps;
        if (cancelAt >= 0 && steps > cancelAt)
            cancel = true;
    }
    bool Cancel() const override { return cancel; }
    void Show() override {
        shown = true;
        cancel = false;
    }
    void Close() override { closed = true; }

    std::string title = "x";
    std::vector<int> maxima;
    int steps = 0;
    int cancelAt = -1;
    bool cancel = false, shown = false, closed = false;
};

TEST(DescriptionReader, ProgressStepsAndCancel) {
    FakeProgress progress;
    TZXCfgList list;
    list.SetProgress(&progress);
    const auto image = WriteDescriptionImage(SmallDescription());
    ASSERT_EQ(Load(list, image, true), 0);
    EXPECT_TRUE(progress.shown && progress.closed);
    EXPECT_EQ(progress.title, "");
    EXPECT_EQ(progress.maxima, (std::vector<int>{2, 4}));
    EXPECT_EQ(progress.steps, 6);

    FakeProgress cancelling;
    cancelling.cancelAt = 3;
    TZXCfgList other;
    other.SetProgress(&cancelling);
    EXPECT_EQ(Load(other, image, true), kCfgLoadCancelled);
    EXPECT_EQ(other.Count(), 0);
    EXPECT_TRUE(cancelling.closed);

    FakeProgress unused;
    other.SetProgress(&unused);
    ASSERT_EQ(Load(other, image, false), 0);
    EXPECT_FALSE(unused.shown);
}

class LanguageFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Load(list, WriteDescriptionImage(SmallDescription())), 0);
        cfg = list.GetCfg(0);
    }
    TZXCfgList list;
    TCfgRec* cfg = nullptr;
};

TEST_F(LanguageFileTest, AppliesKnownNamesAndSkipsUnknown) {
    EXPECT_EQ(cfg->LoadLanguageImage(WriteLanguageImage(GermanFor(0x1234)), CodePage::Latin1), 0);
    EXPECT_EQ(cfg->Groups.Items(0)->GetName(1), "Antrieb");
    EXPECT_EQ(cfg->Groups.Items(0)->GetName(0), "Drive");
    EXPECT_EQ(cfg->FindPara(0x100)->GetName(1), "Zustand");
    EXPECT_EQ(cfg->FindPara(0x100)->GetName(0), "Status");
    EXPECT_EQ(cfg->FindPara(0x201)->GetName(1), "Drehzahl") << "applied after an unknown address";
    EXPECT_EQ(cfg->FindPara(0x101)->GetName(1), "Voltage");
    EXPECT_EQ(cfg->FindPara(0x100)->GetValueText(5, 1, "+", true), "Ein+Fast: 5");
    EXPECT_EQ(cfg->FindPara(0x100)->GetValueText(5, 0, "+", true), "On+Fast: 5");
    EXPECT_EQ(cfg->PlainTexts.Items(0)->Fields.Items(0)->GetName(1), "Zustand");
}

TEST_F(LanguageFileTest, OtherFileIdOrKindChangesNothing) {
    EXPECT_EQ(cfg->LoadLanguageImage(WriteLanguageImage(GermanFor(0x9999)), CodePage::Cp1251),
              kLangOtherFileId);
    TLanguageDef wrongMarker = GermanFor(0x1234);
    wrongMarker.Marker = "ZENTRAXO50_BIN";
    EXPECT_EQ(cfg->LoadLanguageImage(WriteLanguageImage(wrongMarker)), kLangWrongKind);
    TLanguageDef wrongVersion = GermanFor(0x1234);
    wrongVersion.Version = -51;
    EXPECT_EQ(cfg->LoadLanguageImage(WriteLanguageImage(wrongVersion)), kLangWrongKind);
    EXPECT_EQ(cfg->LoadLanguageImage({}), kLangWrongKind);
    EXPECT_EQ(cfg->FindPara(0x100)->GetName(1), "Status");
    EXPECT_EQ(cfg->Groups.Items(0)->GetName(1), "Drive");
    EXPECT_EQ(cfg->DisplayCodePage, CodePage::Latin1);
}

TEST_F(LanguageFileTest, LowerCaseMarkerAccepted) {
    TLanguageDef l = GermanFor(0x1234);
    l.Marker = "Zentraxo50_add";
    EXPECT_EQ(cfg->LoadLanguageImage(WriteLanguageImage(l), CodePage::Cp1251), 0);
    EXPECT_EQ(cfg->FindPara(0x100)->GetName(1), "Zustand");
    EXPECT_EQ(cfg->DisplayCodePage, CodePage::Cp1251);
}

TEST_F(LanguageFileTest, SecondFileOverwritesOnlyWhatItCarries) {
    ASSERT_EQ(cfg->LoadLanguageImage(WriteLanguageImage(GermanFor(0x1234))), 0);
    TLanguageDef second;
    second.FileId = 0x1234;
    second.ParaNames = {{0x0201, "Vitesse"}};
    ASSERT_EQ(cfg->LoadLanguageImage(WriteLanguageImage(second)), 0);
    EXPECT_EQ(cfg->FindPara(0x201)->GetName(1), "Vitesse");
    EXPECT_EQ(cfg->FindPara(0x100)->GetName(1), "Zustand");
}

TEST_F(LanguageFileTest, AbsentTablesApplyTheRestTruncationAppliesNothing) {
    const auto image = WriteLanguageImage(GermanFor(0x1234));
    // Offsets 0 and past the end: absent tables, the others still apply.
    auto noGroups = image;
    PutI32(noGroups, 45, 0);
    PutI32(noGroups, 53, static_cast<std::uint32_t>(image.size() + 100));
    ASSERT_EQ(cfg->LoadLanguageImage(noGroups), 0);
    EXPECT_EQ(cfg->Groups.Items(0)->GetName(1), "Drive");
    EXPECT_EQ(cfg->FindPara(0x100)->GetName(1), "Zustand");
    EXPECT_EQ(cfg->FindPara(0x100)->GetValueText(1, 1, "+", true), "On+0.0 V");

    for (std::size_t len = 0; len < image.size(); ++len) {
        TZXCfgList fresh;
        ASSERT_EQ(Load(fresh, WriteDescriptionImage(SmallDescription())), 0);
        const std::vector<std::uint8_t> cut(image.begin(), image.begin() + len);
        const std::int32_t rc = fresh.GetCfg(0)->LoadLanguageImage(cut);
        ASSERT_TRUE(rc == 0 || rc == kLangWrongKind || rc == kLangCutShort) << len;
        if (len < descfile::kAddHeader) {
            EXPECT_EQ(rc, kLangWrongKind) << len;
        }
        // A file cut inside a table is refused whole: no name half in one language.
        if (rc == kLangCutShort) {
            EXPECT_EQ(fresh.GetCfg(0)->Groups.Items(0)->GetName(1), "Drive") << len;
            EXPECT_EQ(fresh.GetCfg(0)->FindPara(0x100)->GetName(1), "Status") << len;
        }
    }
}

TEST_F(LanguageFileTest, HugeCountIsACutFile) {
    auto image = WriteLanguageImage(GermanFor(0x1234));
    PutI32(image, GetI32(image, 49), 0x80000000u); // negative: no names
    ASSERT_EQ(cfg->LoadLanguageImage(image), 0);
    EXPECT_EQ(cfg->FindPara(0x100)->GetName(1), "Status");
    EXPECT_EQ(cfg->Groups.Items(0)->GetName(1), "Antrieb");
    // A count beyond the end of the file: the file is cut short and changes no name.
    TZXCfgList fresh;
    ASSERT_EQ(Load(fresh, WriteDescriptionImage(SmallDescription())), 0);
    PutI32(image, GetI32(image, 45), 0x7FFFFFFFu);
    EXPECT_EQ(fresh.GetCfg(0)->LoadLanguageImage(image), kLangCutShort);
    EXPECT_EQ(fresh.GetCfg(0)->Groups.Items(0)->GetName(1), "Drive");
}

TEST(DescriptionFiles, LoadFromDiskAndOpenFailures) {
    test::TTempDir dir;
    const std::string bin = dir.Write("desc.bin", WriteDescriptionImage(SmallDescription()));
    const std::string add = dir.Write("lang.add", WriteLanguageImage(GermanFor(0x1234)));
    TZXCfgList list;
    EXPECT_EQ(list.LoadDescriptionFile("/nonexistent/Para0001.bin", false), kCfgReadFailed);
    EXPECT_EQ(list.LoadDescriptionFile(dir.Path().string(), false), kCfgReadFailed);
    ASSERT_EQ(list.LoadDescriptionFile(bin, false), 0);
    TCfgRec& cfg = *list.GetCfg(0);
    EXPECT_EQ(cfg.FileName, bin);
    EXPECT_NE(cfg.FileDate, std::filesystem::file_time_type{});
    EXPECT_GT(cfg.LoadLanguageFile("/nonexistent/LNG0001d.add"), 0);
    EXPECT_EQ(cfg.LoadLanguageFile(add), 0);
    EXPECT_EQ(cfg.FindPara(0x100)->GetName(1), "Zustand");
}

} // namespace
} // namespace protmon
