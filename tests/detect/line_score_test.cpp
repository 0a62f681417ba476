// The verdict and early stop on hand-made evidence: both sides of every threshold, random bytes
// that must never give a verdict, and the 7E1/8N1 pair that only the parity bit tells apart.
#include "detect/line_score.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace protmon {
namespace {

struct TRow {
    int Baud;
    const char* Framing; // "8E1" ...
    DetectProtocol Protocol;
    std::int64_t Bytes, Errors, Telegrams, TelegramBytes, EvenBytes;
    std::int64_t HighBytes = 0;
};

TCandidateResult Make(const TRow& r) {
    TCandidateResult c;
    c.Setting.Baud = r.Baud;
    c.Setting.DataBits = r.Framing[0] - '0';
    c.Setting.Parity = r.Framing[1];
    c.Protocol = r.Protocol;
    c.Evidence.Bytes = r.Bytes;
    c.Evidence.ErrorBytes = r.Errors;
    c.Evidence.Telegrams = r.Telegrams;
    c.Evidence.TelegramBytes = r.TelegramBytes;
    c.Evidence.EvenBytes = r.EvenBytes;
    c.Evidence.HighBytes = r.HighBytes;
    c.Evidence.Seconds = 0.2;
    c.Score = ScoreCandidate(r.Protocol, c.Evidence);
    return c;
}

std::vector<TCandidateResult> Make(const std::vector<TRow>& rows) {
    std::vector<TCandidateResult> out;
    for (const TRow& r : rows)
        out.push_back(Make(r));
    RankCandidates(out);
    return out;
}

constexpr auto T = DetectProtocol::Trx5;
constexpr auto D = DetectProtocol::Din;
constexpr auto R = DetectProtocol::Raw;

// Garbage at a wrong rate: errors everywhere, a few telegrams found by chance.
const std::vector<TRow> kWrongRates = {
    {19200, "8E1", T, 500, 120, 2, 9, 250}, {19200, "8E1", R, 500, 120, 0, 0, 250},
    {19200, "7E1", D, 480, 100, 1, 1, 240}, {19200, "7E1", R, 480, 100, 0, 0, 240},
    {19200, "8N1", R, 500, 90, 0, 0, 250},  {19200, "8O1", R, 500, 110, 0, 0, 250},
};

std::vector<TRow> With(std::vector<TRow> rows) {
    rows.insert(rows.end(), kWrongRates.begin(), kWrongRates.end());
    return rows;
}

struct TCase {
    const char* Name;
    std::vector<TRow> Rows;
    DetectPath Path;
    std::string Verdict;
    bool Clear;
};

TEST(LineScore, VerdictTable) {
    const std::vector<TCase> cases = {
        {"silent line",
         {{38400, "8E1", T, 0, 0, 0, 0, 0}, {38400, "8E1", R, 0, 0, 0, 0, 0}},
         DetectPath::Direct,
         "no traffic",
         false},
        {"TRX5 at 38400",
         With(
             {{38400, "8E1", T, 4250, 0, 412, 4123, 2100}, {38400, "8E1", R, 4250, 0, 0, 0, 2100}}),
         DetectPath::Direct, "38400 Baud, 8E1, TRX5: 97 % of bytes in 412 good telegrams", true},
        {"DIN66019II at 19200",
         {{19200, "7E1", D, 1000, 0, 40, 990, 500},
          {19200, "7E1", R, 1000, 0, 0, 0, 500},
          {19200, "8E1", T, 900, 300, 3, 20, 450}},
         DetectPath::Direct,
         "19200 Baud, 7E1, DIN66019II: 99 % of bytes in 40 good telegrams",
         true},
        // Thresholds of the verdict, both sides: 5 telegrams, 80 % of bytes, errors.
        {"four telegrams are too few",
         {{9600, "8E1", T, 40, 0, 4, 40, 20}},
         DetectPath::Direct,
         "no known protocol",
         false},
        {"five telegrams are enough",
         {{9600, "8E1", T, 50, 0, 5, 50, 25}},
         DetectPath::Direct,
         "9600 Baud, 8E1, TRX5: 100 % of bytes in 5 good telegrams",
         false},
        {"79 % of bytes",
         {{9600, "8E1", T, 1000, 0, 80, 790, 500}},
         DetectPath::Direct,
         "no known protocol",
         false},
        {"80 % of bytes",
         {{9600, "8E1", T, 1000, 0, 80, 800, 500}},
         DetectPath::Direct,
         "9600 Baud, 8E1, TRX5: 80 % of bytes in 80 good telegrams",
         false},
        // Two stray errors are forgiven, then 5 % of the bytes.
        {"6 % errors",
         {{9600, "8E1", T, 1000, 62, 80, 990, 500}},
         DetectPath::Direct,
         "no known protocol",
         false},
        {"5 % errors",
         {{9600, "8E1", T, 1000, 52, 80, 990, 500}},
         DetectPath::Direct,
         "9600 Baud, 8E1, TRX5: 99 % of bytes in 80 good telegrams",
         false},
        // Random bytes that no framing rejects: every setting clean, chance telegrams only.
        {"random bytes",
         {{38400, "8E1", T, 3000, 0, 12, 90, 1500},
          {38400, "8E1", R, 3000, 0, 0, 0, 1500},
          {38400, "7E1", D, 3000, 0, 20, 40, 1500},
          {38400, "7E1", R, 3000, 0, 0, 0, 1500},
          {38400, "8N1", R, 3000, 0, 0, 0, 1500},
          {38400, "8O1", R, 3000, 0, 0, 0, 1500},
          {9600, "8N1", R, 3000, 0, 0, 0, 1500}},
         DetectPath::Direct,
         "no known protocol",
         false},
        {"raw 8N1 alone clean",
         With({{9600, "8E1", R, 900, 400, 0, 0, 450},
               {9600, "7E1", R, 900, 450, 0, 0, 450},
               {9600, "8N1", R, 1000, 0, 0, 0, 500},
               {9600, "8O1", R, 900, 420, 0, 0, 450}}),
         DetectPath::Direct, "9600 Baud, 8N1, RAW: 1000 bytes without a framing or parity error",
         true},
        {"raw 7E1: 8N1 clean too, but every byte even",
         With({{4800, "8E1", R, 900, 400, 0, 0, 450},
               {4800, "7E1", R, 1000, 0, 0, 0, 1000},
               {4800, "8N1", R, 1000, 0, 0, 0, 1000},
               {4800, "8O1", R, 900, 420, 0, 0, 450}}),
         DetectPath::Direct, "4800 Baud, 7E1, RAW: 1000 bytes without a framing or parity error",
         true},
        {"7E1 and 8N1 clean with mixed parity",
         With({{4800, "7E1", R, 1000, 0, 0, 0, 600}, {4800, "8N1", R, 1000, 0, 0, 0, 600}}),
         DetectPath::Direct, "no known protocol", false},
        // A pseudo-terminal's receiver checks odd against even parity only.
        {"pty: odd and even both clean, so no parity",
         With({{9600, "8E1", R, 900, 0, 0, 0, 450, 450},
               {9600, "7E1", R, 900, 0, 0, 0, 450, 450},
               {9600, "8N1", R, 900, 0, 0, 0, 450, 450},
               {9600, "8O1", R, 900, 0, 0, 0, 450, 450}}),
         DetectPath::Direct, "9600 Baud, 8N1, RAW: 900 bytes without a framing or parity error",
         true},
        {"pty: eight bits, odd parity rejected",
         With({{9600, "8E1", R, 900, 0, 0, 0, 450, 450},
               {9600, "7E1", R, 900, 0, 0, 0, 450, 450},
               {9600, "8N1", R, 900, 0, 0, 0, 450, 450},
               {9600, "8O1", R, 900, 900, 0, 0, 450}}),
         DetectPath::Direct, "9600 Baud, 8N1, RAW: 900 bytes without a framing or parity error",
         true},
        {"pty: even parity on seven bits",
         With({{9600, "8E1", R, 900, 0, 0, 0, 450},
               {9600, "7E1", R, 900, 0, 0, 0, 450},
               {9600, "8N1", R, 900, 0, 0, 0, 450},
               {9600, "8O1", R, 900, 900, 0, 0, 450}}),
         DetectPath::Direct, "9600 Baud, 7E1, RAW: 900 bytes without a framing or parity error",
         true},
        {"clean at two rates",
         With({{9600, "8N1", R, 900, 0, 0, 0, 450}, {4800, "8N1", R, 900, 0, 0, 0, 450}}),
         DetectPath::Direct, "no known protocol", false},
        {"raw before all framings at its rate were heard",
         With({{2400, "8N1", R, 1000, 0, 0, 0, 500}, {2400, "8E1", R, 900, 400, 0, 0, 450}}),
         DetectPath::Direct, "no known protocol", false},
        {"framings ruled out by eight errors however few bytes",
         With({{2400, "8N1", R, 1000, 0, 0, 0, 500},
               {2400, "8E1", R, 900, 400, 0, 0, 450},
               {2400, "7E1", R, 20, 8, 0, 0, 10},
               {2400, "8O1", R, 30, 15, 0, 0, 15}}),
         DetectPath::Direct, "2400 Baud, 8N1, RAW: 1000 bytes without a framing or parity error",
         true},
        // Light traffic at a fast rate: the slow settings hear too little to count, but the
        // errors of 8O1 show that the port tells errors.
        {"errors seen in few bytes",
         {{115200, "8E1", R, 95, 0, 0, 0, 50, 40},
          {115200, "7E1", R, 86, 0, 0, 0, 40, 0},
          {115200, "8N1", R, 64, 0, 0, 0, 30, 30},
          {115200, "8O1", R, 38, 27, 0, 0, 15},
          {1200, "8N1", R, 20, 3, 0, 0, 10}},
         DetectPath::Direct,
         "115200 Baud, 8N1, RAW: 64 bytes without a framing or parity error",
         true},
        {"light TRX5: a few good telegrams bar a raw verdict",
         With({{57600, "8E1", T, 74, 1, 3, 60, 37},
               {57600, "8E1", R, 74, 1, 0, 0, 37, 30},
               {57600, "7E1", R, 80, 0, 0, 0, 40},
               {57600, "8N1", R, 74, 0, 0, 0, 37, 30},
               {57600, "8O1", R, 60, 30, 0, 0, 30}}),
         DetectPath::Direct, "no known protocol", false},
        {"seven errors in few bytes are not enough",
         With({{2400, "8N1", R, 1000, 0, 0, 0, 500},
               {2400, "8E1", R, 900, 400, 0, 0, 450},
               {2400, "7E1", R, 20, 7, 0, 0, 10},
               {2400, "8O1", R, 30, 15, 0, 0, 15}}),
         DetectPath::Direct, "no known protocol", false},
        {"box: one setting forwards",
         {{9600, "8O1", R, 700, 0, 0, 0, 350},
          {9600, "8E1", R, 0, 0, 0, 0, 0},
          {9600, "7E1", R, 0, 0, 0, 0, 0},
          {9600, "8N1", R, 0, 0, 0, 0, 0},
          {19200, "8N1", R, 0, 0, 0, 0, 0}},
         DetectPath::Box,
         "9600 Baud, 8O1, RAW: 700 bytes without a framing or parity error",
         true},
        {"box: garbage at the only rate tried yet",
         {{38400, "8E1", R, 5000, 0, 0, 0, 2500},
          {38400, "7E1", R, 5000, 0, 0, 0, 2500},
          {38400, "8N1", R, 5000, 0, 0, 0, 2500},
          {38400, "8O1", R, 5000, 0, 0, 0, 2500}},
         DetectPath::Box,
         "no known protocol",
         false},
        {"box: two settings forward",
         {{9600, "8O1", R, 700, 0, 0, 0, 350}, {19200, "8O1", R, 700, 0, 0, 0, 350}},
         DetectPath::Box,
         "no known protocol",
         false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::vector<TCandidateResult> ranked = Make(c.Rows);
        EXPECT_EQ(VerdictText(DecideVerdict(ranked, c.Path)), c.Verdict);
        EXPECT_EQ(ClearlyAhead(ranked, c.Path), c.Clear);
    }
}

TEST(LineScore, ProtocolOutranksTheBareFramingAndErrorsCost) {
    const TCandidateResult trx5 = Make({38400, "8E1", T, 1000, 0, 50, 950, 500});
    const TCandidateResult raw = Make({38400, "8E1", R, 1000, 0, 0, 0, 500});
    EXPECT_NEAR(trx5.Score, 95.0, 1e-9);
    EXPECT_NEAR(raw.Score, 50.0, 1e-9);
    // Seven telegrams back the share only by 7/8; errors cut it.
    EXPECT_NEAR(Make({38400, "8E1", T, 70, 0, 7, 70, 35}).Score, 87.5, 1e-9);
    EXPECT_LT(Make({38400, "8E1", T, 1000, 50, 50, 950, 500}).Score, 80.0);
    EXPECT_EQ(Make({38400, "8E1", R, 1000, 50, 0, 0, 500}).Score, 0.0);
}

} // namespace
} // namespace protmon
