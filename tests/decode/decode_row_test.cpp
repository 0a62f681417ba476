#include "decode/decode_test_support.h"

#include <gtest/gtest.h>
#include <vector>

using namespace protmon;
using protmon::test::TDecodeFixture;

namespace {

struct RowCase {
    const char* name;
    std::vector<int> bytes;
    std::string id;
    std::string service;
    std::string additional;
};

struct ServiceCase {
    const char* name;
    std::vector<int> bytes;
    bool hex;
    std::string additional;
};

void Put(TDecodeFixture& f, const std::vector<int>& bytes) {
    TTelEntry* e = f.List.NewTelEntry();
    e->Data.fill(0);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        e->Data[i] = static_cast<std::uint8_t>(bytes[i]);
}

void CheckRows(Protocol selection, const std::vector<RowCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TDecodeFixture f;
        f.Context.Selection = selection;
        Put(f, c.bytes);
        const TRowTexts row = f.Row(0);
        EXPECT_EQ(row.Caption, "0");
        EXPECT_EQ(row.Id, c.id);
        EXPECT_EQ(row.Service, c.service);
        EXPECT_EQ(row.Additional, c.additional);
    }
}

void CheckServices(const std::vector<ServiceCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TDecodeFixture f;
        f.Context.HexDisplay = c.hex;
        Put(f, c.bytes);
        EXPECT_EQ(f.Additional(0), c.additional);
    }
}

} // namespace

TEST(DecodeRow, TelegramHeader) {
    CheckRows(
        Protocol::Trx5,
        {
            {"read request",
             {0x01, 0x00, 0x00, 0x02, 0x00},
             "01 ",
             "Req Read 0",
             "Value of address:2 Set:(invalid set selected)"},
            {"no address byte",
             {0xFF, 0x40},
             " ",
             "Req Write ",
             "Value, Address:0 Data:0 Set:(invalid set selected)"},
            {"address shown whole", {0x10, 0x10}, "10 ", "Req Read 16", "Process data 2*32 bits"},
            {"write response", {0x01, 0xC5}, "01 ", "Rsp Write 5", "(Unsupportet Service)"},
            {"read response",
             {0xA0, 0x90},
             "A0 ",
             "Rsp Read 16",
             "Process data 2*32 bits, PD 1:0 PD 2:0, OK"},
        });
}

TEST(DecodeRow, StatusEntries) {
    CheckRows(
        Protocol::Din66019II,
        {
            {"bcc", {0, 1, 5}, "!", "ReceiveError", "BCC"},
            {"overrun", {0, 2}, "!", "ReceiveError", "Overrun"},
            {"framing", {0, 3}, "!", "ReceiveError", "Framing"},
            {"parity", {0, 4}, "!", "ReceiveError", "Parity"},
            {"illegal frame", {0, 10, 60}, "!", "ReceiveError", "Illegal Frame"},
            {"unknown kind", {0, 7}, "!", "ReceiveError", "Unknown:7"},
            {"kind zero", {0, 0}, "!", "ReceiveError", "Unknown:0"},
            {"select", {0, 255, 3}, " ", "Select:", "Slave 3"},
            {"write ok", {0, 128, 0, 0x21}, "21 ", "Rsp Write ", "OK "},
            {"write error", {0, 129, 8, 0x12}, "12 ", "Rsp Write ", "ERROR :8 invalid password"},
            {"read error without address", {0, 130, 15, 0xFF}, " ", "Rsp Read ", "ERROR :Code 15"},
        });
}

TEST(DecodeRow, RawChunks) {
    CheckRows(Protocol::Raw,
              {
                  {"three bytes", {3, 0x41, 0x42, 0x0D}, "", "41 42 0D ", "AB\r"},
                  {"empty", {0, 0x41}, "", "", ""},
                  {"zero byte kept", {2, 0x00, 0xB0}, "", "00 B0 ", std::string("\0\xB0", 2)},
              });
}

TEST(DecodeRow, RawCountBeyondTheDataAreaShowsTheStoredBytes) {
    TDecodeFixture f;
    f.Context.Selection = Protocol::Raw;
    TTelEntry* e = f.List.NewTelEntry();
    e->Data.fill('x');
    e->Data[0] = 200;
    const TRowTexts row = f.Row(0);
    EXPECT_EQ(row.Additional, std::string(kTelDataSize - 1, 'x'));
    EXPECT_EQ(row.Service.size(), 3 * (kTelDataSize - 1));
}

TEST(DecodeRow, CaptionAndMark) {
    TDecodeFixture f;
    for (int i = 0; i < 7; ++i)
        f.Add({0, 1});
    f.Context.MarkIndex = 5;
    EXPECT_EQ(f.Row(5).Caption, "<5>");
    EXPECT_EQ(f.Row(4).Caption, "4");
    EXPECT_EQ(f.Row(6).Caption, "6");
}

TEST(DecodeRow, PositionOutsideTheListGivesNoTexts) {
    TDecodeFixture f;
    f.Add({1, 0});
    TRowTexts row;
    row.Additional = "old";
    EXPECT_FALSE(DecodeTelegramRow(f.Context, 1, row));
    EXPECT_FALSE(DecodeTelegramRow(f.Context, -1, row));
    EXPECT_EQ(row.Caption + row.Id + row.Service + row.Additional, "");
    EXPECT_TRUE(DecodeTelegramRow(f.Context, 0, row));
    TDecodeContext noList;
    EXPECT_FALSE(DecodeTelegramRow(noList, 0, row));
}

TEST(DecodeRow, ReadRequests) {
    CheckServices({
        {"set mask", {1, 0x00, 0x00, 0x21, 0x05}, false, "Value of address:33 Set:0;2"},
        {"set mask in hex", {1, 0x00, 0x00, 0x21, 0x05}, true, "Value of address:0021h Set:0;2"},
        {"set selector", {1, 0x01, 0x00, 0x21, 0x01}, false, "Value of address:33 indirect set"},
        {"invalid selector",
         {1, 0x01, 0x00, 0x21, 0x02},
         false,
         "Value of address:33 (invalid set selected)"},
        {"language octet",
         {1, 0x06, 0x01, 0x00, 0x0A},
         true,
         "Parameter name of address:0100h Language:0Ah"},
        {"operator plaintext",
         {1, 0x08, 0x00, 0x10, 0xFF, 0xFE, 0x01},
         false,
         "Operator plaintext for index:16 Subindex:-2 Language:1"},
        {"bus plaintext",
         {1, 0x09, 0x00, 0x10, 3, 4, 1},
         false,
         "Bus plaintext for index:16 Defindex:3 Subindex:4 Language:1"},
        {"subindex never hex",
         {1, 0x0E, 0x00, 0x07, 0x0C},
         true,
         "Value of index:0007h Subindex: 12"},
        {"subindex zero",
         {1, 0x0E, 0x00, 0x07, 0x00},
         false,
         "Value of index:7 Subindex: (0/count)"},
        {"scope mode", {1, 0x15, 2, 0x01, 0x00}, false, "Scope data Mode:2 Index:256"},
        {"process data 19 like 16", {1, 0x13}, false, "Process data 2*32 bits"},
        {"process data 20 like 17", {1, 0x14}, false, "Process data 4*16 bits"},
        {"check default",
         {1, 0x21, 0x00, 0x05, 0x00},
         false,
         "Check default value of address:5 active set"},
        {"unsupported 13", {1, 0x0D}, false, "(Unsupportet Service)"},
        {"unsupported 47", {1, 0x2F}, false, "(Unsupportet Service)"},
        {"unsupported 63", {1, 0x3F}, false, "(Unsupportet Service)"},
        {"48 by the write table",
         {1, 0x30, 0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0xFE},
         false,
         "Process data 2*32 bits, PD 1:1 PD 2:-2"},
        {"50 by the write table",
         {1, 0x32, 0, 0, 0, 1, 0, 2, 0, 3, 0x80, 0x10, 0, 0, 0, 7},
         false,
         "Process+Parameter, PD 1:1 PD 2:2 PD 3:3 ParaAdr:-32752 ParaData:7"},
    });
}

TEST(DecodeRow, WriteRequests) {
    CheckServices({
        {"negative address",
         {1, 0x40, 0x80, 0x00, 0, 0, 0x01, 0xF4, 0x01},
         false,
         "Value, Address:-32768 Data:500 Set:0"},
        {"hex",
         {1, 0x40, 0x80, 0x00, 0, 0, 0x01, 0xF4, 0x01},
         true,
         "Value, Address:8000h Data:000001F4h Set:0"},
        {"selector",
         {1, 0x41, 0, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0},
         false,
         "Value, Address:1 Data:-1 active set"},
        {"index",
         {1, 0x4E, 0, 5, 0, 0, 0, 9, 3},
         true,
         "Value, Index:0005h Data:00000009h Subindex: 3"},
        {"four words",
         {1, 0x51, 0, 1, 0, 2, 0x80, 0, 0xFF, 0xFF},
         false,
         "Process data 4*16 bits, PD 1:1 PD 2:2 PD 3:-32768 PD 4:-1"},
        {"set default", {1, 0x60, 0, 5, 0xC1}, false, "Set default value of address:5 Set:0;6-7"},
        {"container",
         {1, 0x76, 1, 2, 3, 4, 5, 6, 7, 8, 0x9A, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18},
         false,
         "Process+Container, PD:0102030405060708h CHdr:Rsp Id=1 3 bytes C:1112131415161718h"},
        {"parameter channel",
         {1,  0x78, 0,  1,  2,  3,  4,  5,    6,    7,    8, 9, 10, 11, 12,
          13, 14,   15, 16, 17, 18, 19, 0xC5, 0x01, 0x00, 3, 0, 0,  0,  16},
         false,
         "Process+Parameter, PD:000102030405060708090A0B0C0D0E0F10111213h "
         "Hdr:Pd=1 Wr IID=1 Sub=(in)direct Address:256 Set:3 Data:16"},
        {"unsupported 2", {1, 0x42}, false, "(Unsupportet Service)"},
        {"unsupported 18", {1, 0x52}, false, "(Unsupportet Service)"},
        {"unsupported 21", {1, 0x55}, false, "(Unsupportet Service)"},
        {"unsupported 57", {1, 0x79}, false, "(Unsupportet Service)"},
    });
}

TEST(DecodeRow, ReadResponses) {
    CheckServices({
        {"value", {1, 0x80, 0, 0, 0x01, 0xF4, 0}, false, "Value, Data :500"},
        {"value error", {1, 0x80, 0, 0, 0x01, 0xF4, 3}, false, "Value, ERROR :3 invalid data"},
        {"limits",
         {1, 0x82, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 10, 0},
         false,
         "Limits, Lowlimit:-1 Highlimit:10"},
        {"limits error at 10",
         {1, 0x82, 0, 0, 0, 0, 0, 0, 0, 0, 13},
         false,
         "Limits, ERROR :13 invalid address"},
        {"properties",
         {1, 0x84, 0, 0, 0, 1, 0, 0, 0, 2, 0},
         true,
         "Property 1:00000001h Property 2:00000002h"},
        {"name", {1, 0x86, 4, 'N', 'a', 'm', 'e', 0}, false, "Parameter name, Txt:Name"},
        {"name error after the text",
         {1, 0x86, 4, 'N', 'a', 'm', 'e', 7},
         false,
         "Parameter name, ERROR :7 service not available"},
        {"empty name", {1, 0x86, 0, 0}, false, "Parameter name, Txt:"},
        {"operator plaintext",
         {1, 0x88, 0, 0, 0, 1, 2, 'a', 'b', 'c', 'd', 'e', 0},
         false,
         "Operator plaintext, Data:1 Type:2 Seg:abcde"},
        {"bus plaintext",
         {1, 0x89, 0, 0, 0, 1, 2, 3, 'x', 'y', 'z', 0},
         false,
         "Bus plaintext, Data:1 Type:2 Txt:xyz"},
        {"bus plaintext error",
         {1, 0x89, 0, 0, 0, 1, 2, 3, 'x', 'y', 'z', 9},
         false,
         "Bus plaintext, ERROR :9 invalid frame"},
        {"group properties",
         {1, 0x8A, 5, 'A', 'B', 'C', 0, 16, 2, 3, 0},
         false,
         "Group properties, Index:5 Txt:ABC Prop:16 Hpara:2 Cnt:3"},
        {"group name", {1, 0x8B, 2, 'G', '1', 0}, false, "Group name, Txt:G1"},
        {"plaintext definition",
         {1, 0x8C, 0, 0, 0, 0x0F, 1, 2, 'o', 'n', 0},
         true,
         "Bus plaintext definition, Mask:0000000Fh Cnt:01h Txt:on"},
        {"process data ok",
         {1, 0x90, 0, 0, 0, 1, 0, 0, 0, 2, 0},
         false,
         "Process data 2*32 bits, PD 1:1 PD 2:2, OK"},
        {"process data error",
         {1, 0x93, 0, 0, 0, 1, 0, 0, 0, 2, 6},
         false,
         "Process data 2*32 bits, PD 1:1 PD 2:2, ERROR :6 inverter busy"},
        {"scope 18",
         {1, 0x92, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0xFF, 0xFF, 0, 5, 0},
         false,
         "Scope data, Time:1 ChA:2 ChB:3 ChC:-1 ChD:5"},
        {"scope 21",
         {1, 0x95, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 5, 0},
         false,
         "Scope data, Time:1 ChA:2 ChB:3 ChC:4 ChD:5"},
        {"check default", {1, 0xA0, 0}, false, "Check default value, OK!"},
        {"check default error",
         {1, 0xA1, 14},
         false,
         "Check default value, ERROR :14 operation not possible"},
        {"unsupported", {1, 0x8D}, false, "(Unsupportet Service)"},
        {"48 by the write table",
         {1, 0xB0, 0, 0, 0, 1, 0, 0, 0, 2, 0},
         false,
         "Process data 2*32 bits, PD 1:1 PD 2:2, OK!"},
    });
}

TEST(DecodeRow, WriteResponses) {
    CheckServices({
        {"value ok", {1, 0xC0, 0}, false, "Value, OK!"},
        {"value error", {1, 0xCE, 15}, false, "Value, ERROR :Code 15"},
        {"process data", {1, 0xD1, 0}, false, "Process data 4*16 bits, OK!"},
        {"set default", {1, 0xE1, 4}, false, "Set default value, ERROR :4 parameter read only"},
        {"48 ok",
         {1, 0xF0, 0, 0, 0, 1, 0, 0, 0, 2, 0},
         false,
         "Process data 2*32 bits, PD 1:1 PD 2:2, OK!"},
        {"52 error",
         {1, 0xF4, 0, 1, 0, 2, 0, 3, 0, 4, 6},
         true,
         "Process data 4*16 bits, PD 1:0001h PD 2:0002h PD 3:0003h PD 4:0004h, ERROR :6 inverter "
         "busy"},
        {"50",
         {1, 0xF2, 0, 0, 0, 1, 0, 2, 0, 3, 0, 0, 0, 9, 0},
         false,
         "Process+Parameter, PD 1:1 PD 2:2 PD 3:3 Data:9, OK!"},
        {"container has no status",
         {1, 0xF7, 1, 2, 3, 4, 5, 6, 7, 8, 0x23, 0, 0, 0, 0, 0, 0, 0, 0, 5},
         false,
         "Process+Container, PD:0102030405060708h CHdr:Req Id=2 Blk=3 C:0000000000000000h"},
        {"parameter channel",
         {1, 0xF8, 0, 0, 0, 0, 0, 0,    0, 0, 0, 0, 0, 0, 0,
          0, 0,    0, 0, 0, 0, 0, 0x00, 0, 0, 0, 7, 4, 0},
         false,
         "Process+Parameter, PD:0000000000000000000000000000000000000000h "
         "Hdr:Pd=0 Rd IID=0 Sub=bitcoded Data:7 PdLen:4, OK!"},
        {"unsupported", {1, 0xC2, 0}, false, "(Unsupportet Service)"},
    });
}

// A count byte that points past the stored telegram cannot make the decoder read beyond it: the
// text stops at the last byte a telegram can occupy and the error byte reads as 0.
TEST(DecodeRow, CountBytePastTheStoredTelegram) {
    for (int service : {0x86, 0x8B}) {
        TDecodeFixture f;
        TTelEntry* e = f.List.NewTelEntry();
        e->Data.fill('t');
        e->Data[0] = 1;
        e->Data[1] = static_cast<std::uint8_t>(service);
        e->Data[2] = 200;
        e->Data[kFilterMarkIndex] = 'M';
        const std::string text = f.Additional(0);
        EXPECT_EQ(text.find('M'), std::string::npos);
        EXPECT_EQ(text.substr(text.find(":") + 1), std::string(kMaxStoredTelegram - 3, 't'));
    }
    TDecodeFixture f;
    TTelEntry* e = f.List.NewTelEntry();
    e->Data.fill(0);
    e->Data[0] = 1;
    e->Data[1] = 0x89;
    e->Data[7] = 255;
    EXPECT_EQ(f.Additional(0).rfind("Bus plaintext, Data:0 Type:0 Txt:", 0), 0u);
}
