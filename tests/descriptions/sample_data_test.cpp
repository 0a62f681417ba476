#include "descriptions/cfg_list.h"
#include "descriptions/code_page.h"
#include "descriptions/language_file_name.h"

#include <gtest/gtest.h>
#include <string>

namespace protmon {
namespace {

const std::string kSample = std::string(PROTMON_TEST_DATA) + "/Para0001.bin";

class SampleDescription : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(list.LoadDescriptionFile(kSample, false), 0);
        cfg = list.GetCfg(0);
    }
    std::string Value(std::uint16_t address, std::int32_t raw) {
        const TParaRec* p = cfg->FindPara(address);
        return p ? p->GetValueText(raw, 1, "+", true) : "(none)";
    }
    TZXCfgList list;
    TCfgRec* cfg = nullptr;
};

TEST_F(SampleDescription, TenGroupsWithoutHiddenParameters) {
    EXPECT_EQ(cfg->Groups.Count(), 10);
    int params = 0;
    for (const TGrpRec& g : cfg->Groups)
        params += g.Params.Count();
    EXPECT_EQ(params, 292);
    EXPECT_EQ(cfg->FindGroup(0x0500), nullptr) << "factory group is all hidden";
    EXPECT_EQ(cfg->FindPara(0x000F), nullptr);
    EXPECT_EQ(cfg->ExtraWord, 0x0203);
    EXPECT_EQ(cfg->InfoText1, "Sample drive ZX-100");
}

TEST_F(SampleDescription, ValueTexts) {
    EXPECT_EQ(Value(0x0080, 5000), "50.00 Hz");
    EXPECT_EQ(Value(0x0087, 65), "25 \xB0"
                                 "C");
    EXPECT_EQ(Value(0x0100, 0x0311), "Ready+Stopped+No fault+No warning+Forward+0003h");
    EXPECT_EQ(Value(0x0100, 0x001F), "Ready+Running+Fault+Warning+Forward+0000h");
    EXPECT_EQ(Value(0x0103, 0x05),
              "DI1 high+DI2 low+DI3 high+DI4 low+DI5 low+DI6 low+DI7 low+DI8 low");
    EXPECT_EQ(Value(0x0401, 2), "38400 Bd: 2");
    EXPECT_EQ(Value(0x0101, 4), "Overtemperature: 4");
    EXPECT_EQ(Value(0x0102, 0x5), "Heatsink hot+Current limit active: 5");
    EXPECT_EQ(Value(0x0102, 0), "0000h") << "no field contributes: the number";
    EXPECT_EQ(Value(0x0107, 3), "3") << "plain-text type without entry";
    EXPECT_EQ(Value(0x0002, static_cast<std::int32_t>(0x01020304)), "1.2.3.4");
    EXPECT_EQ(Value(0x0403, static_cast<std::int32_t>(0xC0A80001)), "192.168.0.1");
    EXPECT_EQ(Value(0x0309, 5), "(Error calculating value)");
    EXPECT_EQ(Value(0x0308, 8), "125.00 us");
}

TEST_F(SampleDescription, GermanAndAmericanNames) {
    ASSERT_EQ(cfg->LoadLanguageFile(LanguageFileName(kSample, 'd')), 0);
    EXPECT_EQ(cfg->FindPara(0x0087)->GetName(1), "K\xFChlk\xF6rpertemperatur");
    EXPECT_EQ(cfg->FindPara(0x0087)->GetName(0), "Heatsink temperature");
    EXPECT_EQ(cfg->FindGroup(0x0385)->GetName(1), "Ein- und Ausg\xE4nge");
    EXPECT_EQ(Value(0x0101, 1), "\xDC"
                                "berstrom: 1");
    EXPECT_EQ(cfg->FindPara(0x0100)->GetName(1), "Zustandswort") << "after an unknown address";

    ASSERT_EQ(cfg->LoadLanguageFile(LanguageFileName(kSample, 'a')), 0);
    EXPECT_EQ(cfg->FindPara(0x0200)->GetName(1), "Accel time");
    EXPECT_EQ(cfg->FindPara(0x0087)->GetName(1), "K\xFChlk\xF6rpertemperatur")
        << "names the second file lacks keep the first file's text";
    EXPECT_GT(LoadLanguageFor(*cfg, kSample, 'f'), 0) << "no French file";
    EXPECT_EQ(LoadLanguageFor(*cfg, kSample, 'd'), 0);
    EXPECT_EQ(cfg->DisplayCodePage, CodePage::Latin1);
}

TEST_F(SampleDescription, RussianNamesAreCp1251Bytes) {
    ASSERT_EQ(LoadLanguageFor(*cfg, kSample, 'r'), 0);
    EXPECT_EQ(cfg->DisplayCodePage, CodePage::Cp1251);
    const std::string& name = cfg->FindPara(0x0101)->GetName(1);
    EXPECT_EQ(name, "\xCA\xEE\xE4 \xEE\xF8\xE8\xE1\xEA\xE8");
    EXPECT_EQ(ToUtf8(name, cfg->DisplayCodePage), "Код ошибки");
    EXPECT_EQ(ToUtf8(Value(0x0101, 0), cfg->DisplayCodePage), "Нет ошибки: 0");
}

} // namespace
} // namespace protmon
