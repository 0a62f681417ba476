// The simulator as a fieldbus operator on a pty: its monitor command, its answer and the copied
// telegrams.

#include "capture/trx5_length.h"
#include "support/lmsim_process.h"

#include <gtest/gtest.h>

using namespace protmon::testing;

namespace {

const Bytes kAnswerOk = {0x10, 0xC1, 0x00, 0xD1};

Bytes OperatorCommand(std::uint32_t selection) {
    Bytes cmd = {0x10,
                 0x41,
                 0x00,
                 0xFF,
                 static_cast<std::uint8_t>(selection >> 24),
                 static_cast<std::uint8_t>(selection >> 16),
                 static_cast<std::uint8_t>(selection >> 8),
                 static_cast<std::uint8_t>(selection),
                 0x01};
    std::uint8_t bcc = 0;
    for (std::uint8_t b : cmd)
        bcc ^= b;
    cmd.push_back(bcc);
    return cmd;
}

// Cuts a byte stream into telegrams by the length rule; a trailing partial telegram is left out.
std::vector<Bytes> CutTelegrams(const Bytes& stream) {
    std::vector<Bytes> out;
    std::size_t pos = 0;
    while (pos < stream.size()) {
        const protmon::ByteView rest(stream.data() + pos, stream.size() - pos);
        const int length = protmon::Trx5TelegramLength(rest);
        if (rest.size() >= 2) {
            EXPECT_GE(length, 3) << "no telegram at offset " << pos;
        }
        if (length < 3 || static_cast<std::size_t>(length) > rest.size())
            break;
        out.emplace_back(stream.begin() + static_cast<std::ptrdiff_t>(pos),
                         stream.begin() + static_cast<std::ptrdiff_t>(pos) + length);
        pos += static_cast<std::size_t>(length);
    }
    return out;
}

// Reads until count whole telegrams arrived (or nothing came for a second) and cuts them.
std::vector<Bytes> ReadTelegrams(PtyPeer& peer, std::size_t count) {
    Bytes stream;
    std::vector<Bytes> telegrams;
    while (telegrams.size() < count) {
        const Bytes more = peer.ReadSome(1000);
        if (more.empty())
            break;
        stream.insert(stream.end(), more.begin(), more.end());
        // A telegram may still be arriving: cut only what is complete.
        telegrams = CutTelegrams(stream);
    }
    return telegrams;
}

bool IsProcessData(const Bytes& t) {
    const int service = t[1] & 0x3F;
    return (service >= 16 && service <= 20) || service >= 48;
}

bool IsResponse(const Bytes& t) {
    return (t[1] & 0x80) != 0;
}

struct Operator {
    explicit Operator(std::vector<std::string> args)
        : process(kLmsim, WithOperator(std::move(args))), peer(process.FirstLine(), 38400) {}
    static std::vector<std::string> WithOperator(std::vector<std::string> args) {
        args.insert(args.begin(), {"--pty", "--operator", "--bad-bcc-permille", "0"});
        return args;
    }
    LmsimProcess process;
    PtyPeer peer;
};

} // namespace

TEST(LmsimOperator, CopiesOnlyTheSelectedTraffic) {
    struct Case {
        std::uint32_t selection;
        bool comm, pdOut, pdIn;
    };
    const Case cases[] = {{1, true, false, false},
                          {2, false, true, false},
                          {4, false, false, true},
                          {5, true, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selection);
        Operator op({"--count", "200"});
        ASSERT_TRUE(op.peer.Send(OperatorCommand(c.selection)));
        ASSERT_EQ(op.peer.Read(4, 500), kAnswerOk);
        const std::vector<Bytes> telegrams = ReadTelegrams(op.peer, 200);
        ASSERT_EQ(telegrams.size(), 200u);
        bool seen[3] = {false, false, false};
        for (const Bytes& t : telegrams) {
            EXPECT_TRUE(BccOk(t));
            const int kind = !IsProcessData(t) ? 0 : IsResponse(t) ? 2 : 1;
            seen[kind] = true;
        }
        EXPECT_EQ(seen[0], c.comm);
        EXPECT_EQ(seen[1], c.pdOut);
        EXPECT_EQ(seen[2], c.pdIn);
    }
}

// Seen through the operator, a drive answers with its address byte plus one (15 answers as 1).
TEST(LmsimOperator, CommunicationAnswersCarryTheNextAddress) {
    Operator op({"--count", "300", "--error-permille", "0"});
    ASSERT_TRUE(op.peer.Send(OperatorCommand(1)));
    ASSERT_EQ(op.peer.Read(4, 500), kAnswerOk);
    const std::vector<Bytes> telegrams = ReadTelegrams(op.peer, 300);
    ASSERT_EQ(telegrams.size(), 300u);
    int pairs = 0;
    for (std::size_t i = 1; i < telegrams.size(); ++i) {
        const Bytes& request = telegrams[i - 1];
        const Bytes& answer = telegrams[i];
        if (IsResponse(request) || !IsResponse(answer))
            continue;
        EXPECT_EQ(answer[0], request[0] == 15 ? 1 : request[0] + 1);
        ++pairs;
    }
    EXPECT_GT(pairs, 50);
}

TEST(LmsimOperator, SelectionZeroStopsCopying) {
    Operator op({"--rate", "2000"});
    ASSERT_TRUE(op.peer.Send(OperatorCommand(7)));
    ASSERT_EQ(op.peer.Read(4, 500), kAnswerOk);
    EXPECT_FALSE(op.peer.Read(50, 1000).empty());
    ASSERT_TRUE(op.peer.Send(OperatorCommand(0)));
    // No copied answer carries address 0x10 (drives 1 to 15 answer as 2 to 15 and 1), so the
    // first 10 C1 00 D1 at the end of what arrived is the operator's answer.
    Bytes stream;
    auto endsWithAnswer = [&] {
        return stream.size() >= 4 && Bytes(stream.end() - 4, stream.end()) == kAnswerOk;
    };
    while (!endsWithAnswer()) {
        const Bytes more = op.peer.ReadSome(1000);
        if (more.empty())
            break;
        stream.insert(stream.end(), more.begin(), more.end());
    }
    EXPECT_TRUE(endsWithAnswer());
    EXPECT_TRUE(op.peer.Read(1, 150).empty()) << "nothing after the answer";
}

TEST(LmsimOperator, CommandFoundBehindOtherBytesAndBadCommandIgnored) {
    Operator op({"--count", "1"});
    Bytes damaged = OperatorCommand(1);
    damaged.back() ^= 0x01;
    ASSERT_TRUE(op.peer.Send(damaged));
    EXPECT_TRUE(op.peer.Read(1, 150).empty());
    Bytes stray = {0x10, 0x41, 0x55, 0x00};
    const Bytes cmd = OperatorCommand(2);
    stray.insert(stray.end(), cmd.begin(), cmd.end());
    ASSERT_TRUE(op.peer.Send(stray));
    EXPECT_EQ(op.peer.Read(4, 500), kAnswerOk);
}

TEST(LmsimOperator, SilentAndRefusingOperators) {
    Operator silent({"--silent"});
    ASSERT_TRUE(silent.peer.Send(OperatorCommand(1)));
    EXPECT_TRUE(silent.peer.Read(1, 150).empty());
    Operator refusing({"--refuse", "1"});
    ASSERT_TRUE(refusing.peer.Send(OperatorCommand(1)));
    const Bytes answer = refusing.peer.Read(4, 500);
    ASSERT_EQ(answer.size(), 4u);
    EXPECT_EQ(answer[1], 0xC1);
    EXPECT_NE(answer[2], 0x00);
    EXPECT_TRUE(refusing.peer.Read(1, 150).empty()) << "a refused command copies nothing";
}
