#include "decode/decode_test_support.h"
#include "descriptions/cfg_list.h"

#include <gtest/gtest.h>

using namespace protmon;
using protmon::test::TDecodeFixture;

namespace {

TParaRec Param(std::int16_t address, const char* ident, const char* name) {
    TParaRec p;
    p.Address = address;
    p.Ident = ident;
    p.Name = name;
    p.DisplayName = std::string(name) + "'";
    p.Multiplier = 1;
    p.Divisor = 1;
    p.Format = MakeFormat(17, 0, 0);
    return p;
}

// A set with parameter 0x0021 "A21 Ramp" and parameter 0x0100 "P1 Speed", each in its group.
class Annotations : public ::testing::Test {
protected:
    Annotations() {
        TGrpRec low;
        low.BaseAddress = 0x0000;
        low.Params.Add(Param(0x0021, "A21", "Ramp"));
        set_.Groups.Add(std::move(low));
        TGrpRec high;
        high.BaseAddress = 0x0100;
        high.Params.Add(Param(0x0100, "P1", "Speed"));
        set_.Groups.Add(std::move(high));
        f_.Context.DecoderSet = &set_;
    }

    TCfgRec set_;
    TDecodeFixture f_;
};

} // namespace

TEST_F(Annotations, RequestNamesInTheDisplayLanguage) {
    struct Case {
        std::vector<int> bytes;
        std::string suffix;
    };
    const Case cases[] = {
        {{1, 0x00, 0x00, 0x21, 0x01}, " [A21 Ramp']"},
        {{1, 0x05, 0x01, 0x00}, " [P1 Speed']"},
        {{1, 0x21, 0x01, 0x00, 0x00}, " [P1 Speed']"},
        {{1, 0x60, 0x01, 0x00, 0x01}, " [P1 Speed']"},
        {{1, 0x08, 0x01, 0x00}, ""},       // plaintext services carry no parameter address
        {{1, 0x0A, 0x01, 0x00}, ""},       // group properties
        {{1, 0x00, 0x02, 0x00, 0x01}, ""}, // not described
        {{1, 0x00, 0x81, 0x00, 0x01}, ""}, // bit 15 set: never found
    };
    for (const Case& c : cases) {
        TDecodeFixture f;
        f.Context.DecoderSet = &set_;
        TTelEntry* e = f.List.NewTelEntry();
        for (std::size_t i = 0; i < c.bytes.size(); ++i)
            e->Data[i] = static_cast<std::uint8_t>(c.bytes[i]);
        const std::string text = f.Additional(0);
        f.Context.DecoderSet = nullptr;
        const std::string plain = f.Additional(0);
        EXPECT_EQ(text, plain + c.suffix);
    }
}

TEST_F(Annotations, WriteRequestValue) {
    const int full = f_.Add({0x01, 0x40, 0x01, 0x00, 0x00, 0x01, 0x01, 0xF4, 0x01});
    const int noAddress = f_.Add({0xFF, 0x40, 0x01, 0x00, 0x00, 0x01, 0x01, 0xF4, 0x01});
    EXPECT_EQ(f_.Additional(full), "Value, Address:256 Data:66036 Set:0 [P1 Speed'=66036 1/min]");
    // Without an address byte only the low 16 bits count, unless the parameter is a full long.
    EXPECT_EQ(f_.Additional(noAddress),
              "Value, Address:256 Data:66036 Set:0 [P1 Speed'=500 1/min]");
    set_.Groups.Items(1)->Params.Items(0)->Attributes = kAttrFullLong;
    EXPECT_EQ(f_.Additional(noAddress),
              "Value, Address:256 Data:66036 Set:0 [P1 Speed'=66036 1/min]");
}

TEST_F(Annotations, ProcessParameterRequests) {
    const std::string base = "Process+Parameter, PD 1:0 PD 2:0 PD 3:0 ";
    const int write = f_.Add({1, 0x72, 0, 0, 0, 0, 0, 0, 0, 0, 0x81, 0x00, 0, 0, 0, 7});
    const int read = f_.Add({1, 0x32, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x00, 0, 0, 0, 7});
    const int none = f_.Add({1, 0x75, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0, 0, 0, 7});
    EXPECT_EQ(f_.Additional(write), base + "ParaAdr:-32512 ParaData:7 [WR P1 Speed'=7 1/min]");
    EXPECT_EQ(f_.Additional(read), base + "ParaAdr:256 ParaData:7 [RD P1 Speed']");
    EXPECT_EQ(f_.Additional(none), base + "ParaAdr:-32768 ParaData:7");
}

TEST_F(Annotations, ReadResponseValueFromTheRequestsParameter) {
    f_.FillTo(10);
    f_.Add({0x01, 0x00, 0x01, 0x00, 0x01}); // 10: read request for 0x0100
    f_.Add({0x02, 0x00, 0x00, 0x21, 0x01}); // 11: another drive
    const int response = f_.Add({0x01, 0x80, 0x00, 0x01, 0x01, 0xF4, 0x00});
    EXPECT_EQ(f_.Additional(response), "Value, Data :66036 [66036 1/min]");

    f_.Context.DecoderSet = nullptr;
    EXPECT_EQ(f_.Additional(response), "Value, Data :66036");
    f_.Context.DecoderSet = &set_;

    // The fieldbus operator answers with the next address.
    f_.Context.SourceFlags = kSourceComm;
    EXPECT_EQ(f_.Additional(response), "Value, Data :66036");
    const int operatorResponse = f_.Add({0x02, 0x80, 0x00, 0x00, 0x00, 0x21, 0x00});
    EXPECT_EQ(f_.Additional(operatorResponse), "Value, Data :33 [33 1/min]");
}

TEST_F(Annotations, NoValueForErrorsDistantRequestsOrUnknownParameters) {
    f_.Add({0x01, 0x00, 0x01, 0x00, 0x01});
    const int error = f_.Add({0x01, 0x80, 0, 0, 0, 5, 3});
    EXPECT_EQ(f_.Additional(error), "Value, ERROR :3 invalid data");
    f_.FillTo(11);
    const int distant = f_.Add({0x01, 0x80, 0, 0, 0, 5, 0});
    EXPECT_EQ(f_.Additional(distant), "Value, Data :5");
    f_.Add({0x01, 0x01, 0x02, 0x00, 0x01});
    const int unknown = f_.Add({0x01, 0x81, 0, 0, 0, 5, 0});
    EXPECT_EQ(f_.Additional(unknown), "Value, Data :5");
    f_.Add({0x01, 0x0E, 0x01, 0x00, 0x01});
    const int indexed = f_.Add({0x01, 0x8E, 0, 0, 0, 5, 0});
    EXPECT_EQ(f_.Additional(indexed), "Value, Data :5");
}

TEST_F(Annotations, ResponseWithoutAddressByteUsesTheLow16Bits) {
    f_.Add({0xFF, 0x00, 0x01, 0x00, 0x01});
    const int response = f_.Add({0xFF, 0x80, 0x00, 0x01, 0x01, 0xF4, 0x00});
    EXPECT_EQ(f_.Additional(response), "Value, Data :66036 [500 1/min]");
}

TEST_F(Annotations, ProcessParameterResponses) {
    const std::string pd = "Process+Parameter, PD 1:0 PD 2:0 PD 3:0 Data:9, OK!";
    f_.Add({1, 0x72, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x00});
    const int readAnswer = f_.Add({1, 0xF2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 0});
    EXPECT_EQ(f_.Additional(readAnswer), pd + " [9 1/min]");

    f_.Add({1, 0x32, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x00});
    const int readClass = f_.Add({1, 0xB2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 0});
    EXPECT_EQ(f_.Additional(readClass), pd + " [9 1/min]");

    f_.Add({1, 0x72, 0, 0, 0, 0, 0, 0, 0, 0, 0x81, 0x00});
    const int writeAnswer = f_.Add({1, 0xF2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 0});
    EXPECT_EQ(f_.Additional(writeAnswer), pd);

    f_.Add({1, 0x72, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x00});
    const int failed = f_.Add({1, 0xF2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 6});
    EXPECT_EQ(f_.Additional(failed),
              "Process+Parameter, PD 1:0 PD 2:0 PD 3:0 Data:9, ERROR :6 inverter busy");
}

// Every service byte with arbitrary field bytes, under every protocol selection, decodes to some
// text without reading outside the entry (run under the sanitizers to see the latter).
TEST_F(Annotations, ArbitraryEntriesDecode) {
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<std::uint8_t>(seed >> 16);
    };
    for (int serviceByte = 0; serviceByte < 256; ++serviceByte) {
        for (int round = 0; round < 4; ++round) {
            TTelEntry* e = f_.List.NewTelEntry();
            for (auto& b : e->Data)
                b = next();
            e->Data[0] = round == 0 ? 0xFF : static_cast<std::uint8_t>(1 + next() % 15);
            e->Data[1] = static_cast<std::uint8_t>(serviceByte);
        }
    }
    f_.Context.SourceFlags = kSourceComm;
    TRowTexts row;
    for (Protocol selection : {Protocol::Trx5, Protocol::Raw}) {
        f_.Context.Selection = selection;
        for (bool hex : {false, true}) {
            f_.Context.HexDisplay = hex;
            for (int p = 0; p < f_.List.Count(); ++p) {
                ASSERT_TRUE(DecodeTelegramRow(f_.Context, p, row));
                if (selection == Protocol::Trx5) {
                    EXPECT_FALSE(row.Additional.empty());
                }
            }
        }
    }
}
