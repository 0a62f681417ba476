#include "detect/line_score.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace protmon {

namespace {

// A protocol's score reaches its share only with this many good telegrams behind it.
constexpr double kSupportTelegrams = 8;
// The verdict's thresholds for a protocol.
constexpr std::int64_t kVerdictTelegrams = 5;
constexpr double kVerdictShare = 0.8;
// A receiver that starts in the middle of busy traffic may misframe until the next gap, so a few
// errors at the right setting are normal; a wrong framing or rate errs on a large share.
constexpr double kVerdictErrorShare = 0.05;
// Early stop for a protocol.
constexpr std::int64_t kClearTelegrams = 8;
constexpr double kClearShare = 0.9;
constexpr double kClearErrorShare = 0.02;
// Raw bytes: characters a setting must have heard before its errors (or their absence) count,
// and the share of errors it may show and still count as error-free.
constexpr std::int64_t kRawBytes = kRawEvidenceBytes;
constexpr double kCleanErrorShare = 0.03;
// 7E1 read as 8N1: every byte's eight bits have even parity; random 8-bit data half of them.
constexpr double kEvenShare = 0.98;

double Share(std::int64_t part, std::int64_t whole) {
    return whole > 0 ? static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}

bool IsProtocol(const TCandidateResult& c) {
    return c.Protocol != DetectProtocol::Raw;
}

// A character or two garbled by the change of setting is no reason to doubt anything.
constexpr std::int64_t kStrayErrors = 2;

double ErrorShare(const TDetectEvidence& e) {
    return Share(std::max<std::int64_t>(0, e.ErrorBytes - kStrayErrors), e.Bytes);
}

bool ProtocolVerdict(const TCandidateResult& c, std::int64_t telegrams, double share,
                     double errors) {
    const TDetectEvidence& e = c.Evidence;
    return IsProtocol(c) && e.Telegrams >= telegrams && Share(e.TelegramBytes, e.Bytes) >= share &&
           ErrorShare(e) <= errors;
}

const TCandidateResult* BestProtocol(const std::vector<TCandidateResult>& all,
                                     std::int64_t telegrams, double share, double errors) {
    const TCandidateResult* best = nullptr;
    for (const TCandidateResult& c : all) {
        if (ProtocolVerdict(c, telegrams, share, errors) &&
            (best == nullptr || c.Score > best->Score))
            best = &c;
    }
    return best;
}

const TCandidateResult* Find(const std::vector<const TCandidateResult*>& clean, int bits,
                             char parity) {
    for (const TCandidateResult* c : clean) {
        if (c->Setting.DataBits == bits && c->Setting.Parity == parity)
            return c;
    }
    return nullptr;
}

// Which of several error-free framings at one rate the line uses. A UART tells them apart by
// errors, all but one pair: 7E1 read as 8N1 has no error either, but its eighth bit is always the
// even parity of the seven. A pseudo-terminal keeps neither data bits nor parity enable, so a
// receiver there tells little more than odd parity from the rest.
const TCandidateResult* ChooseFraming(const std::vector<const TCandidateResult*>& clean) {
    if (clean.size() == 1)
        return clean.front();
    const TCandidateResult* n8 = Find(clean, 8, 'N');
    const TCandidateResult* e7 = Find(clean, 7, 'E');
    const TCandidateResult* e8 = Find(clean, 8, 'E');
    if (n8 != nullptr && Find(clean, 8, 'O') != nullptr)
        return n8;
    if (e8 == nullptr && n8 != nullptr && e7 != nullptr && clean.size() == 2)
        return Share(n8->Evidence.EvenBytes, n8->Evidence.Bytes) >= kEvenShare ? e7 : nullptr;
    // Only a pseudo-terminal leaves all three clean: seven data bits show as an unused eighth
    // bit; eight bits with or without even parity look alike there, and a plain 8N1 line is the
    // common case.
    if (e8 != nullptr && e7 != nullptr && n8 != nullptr)
        return e8->Evidence.HighBytes > 0 ? n8 : e7;
    return nullptr;
}

// The one raw framing that fits, or nullptr: error-free settings all at one rate, while other
// settings showed errors (behind a box: forwarded nothing).
const TCandidateResult* RawFit(const std::vector<TCandidateResult>& all, DetectPath path) {
    std::vector<const TCandidateResult*> clean;
    bool errorsSeen = false;
    for (const TCandidateResult& c : all) {
        if (IsProtocol(c))
            continue;
        // The port shows errors at all: enough of them anywhere.
        errorsSeen = errorsSeen || c.Evidence.ErrorBytes >= kRejectingErrors;
        if (c.Evidence.Bytes >= kRawBytes && LooksClean(c.Evidence))
            clean.push_back(&c);
    }
    if (clean.empty() || (path == DetectPath::Direct && !errorsSeen))
        return nullptr;
    const int baud = clean.front()->Setting.Baud;
    for (const TCandidateResult* c : clean) {
        if (c->Setting.Baud != baud)
            return nullptr;
    }
    // A box forwards garbage too where its settings are wrong: its bytes count only when the box
    // stayed silent at some other rate.
    const bool silentElsewhere =
        std::any_of(all.begin(), all.end(), [baud](const TCandidateResult& c) {
            return c.Setting.Baud != baud && c.Evidence.Seconds > 0 && c.Evidence.Bytes == 0;
        });
    if (path == DetectPath::Box && !silentElsewhere)
        return nullptr;
    // Every framing at the rate must have had its say (the 7E1/8N1 pair above all): on a port by
    // enough characters or by enough errors, behind a box by having been tried.
    int framingsHeard = 0;
    for (const TCandidateResult& c : all) {
        const bool heard = path == DetectPath::Box ? c.Evidence.Seconds > 0
                                                   : c.Evidence.Bytes >= kRawBytes ||
                                                         c.Evidence.ErrorBytes >= kRejectingErrors;
        if (c.Protocol == DetectProtocol::Raw && c.Setting.Baud == baud && heard)
            ++framingsHeard;
    }
    if (framingsHeard < 4)
        return nullptr;
    // Telegrams that explain most of what a protocol heard at this rate, too few yet for a
    // verdict, may be a protocol in light traffic: no raw verdict while they do.
    const bool protocolLikely =
        std::any_of(all.begin(), all.end(), [baud](const TCandidateResult& c) {
            const TDetectEvidence& e = c.Evidence;
            return IsProtocol(c) && c.Setting.Baud == baud && e.Telegrams > 0 &&
                   2 * e.TelegramBytes >= e.Bytes;
        });
    return protocolLikely ? nullptr : ChooseFraming(clean);
}

} // namespace

bool LooksClean(const TDetectEvidence& e) {
    return ErrorShare(e) <= kCleanErrorShare;
}

double ExplainedShare(const TCandidateResult& c) {
    const TDetectEvidence& e = c.Evidence;
    if (IsProtocol(c))
        return Share(e.TelegramBytes, e.Bytes);
    return e.Bytes > 0 ? 1.0 - Share(e.ErrorBytes, e.Bytes) : 0.0;
}

double ScoreCandidate(DetectProtocol protocol, const TDetectEvidence& e) {
    if (e.Bytes <= 0)
        return 0;
    const double errors = Share(e.ErrorBytes, e.Bytes);
    if (protocol == DetectProtocol::Raw) {
        const double amount = std::min(1.0, static_cast<double>(e.Bytes) / 256.0);
        return 50.0 * std::max(0.0, 1.0 - 20.0 * errors) * amount;
    }
    const double support = std::min(1.0, static_cast<double>(e.Telegrams) / kSupportTelegrams);
    return 100.0 * Share(e.TelegramBytes, e.Bytes) * support * std::max(0.0, 1.0 - 4.0 * errors);
}

void RankCandidates(std::vector<TCandidateResult>& candidates) {
    std::stable_sort(
        candidates.begin(), candidates.end(),
        [](const TCandidateResult& a, const TCandidateResult& b) { return a.Score > b.Score; });
}

TDetectVerdict DecideVerdict(const std::vector<TCandidateResult>& candidates, DetectPath path) {
    TDetectVerdict v;
    const bool anything =
        std::any_of(candidates.begin(), candidates.end(),
                    [](const TCandidateResult& c) { return c.Evidence.Bytes > 0; });
    if (!anything) {
        v.Kind = VerdictKind::NoTraffic;
        return v;
    }
    const TCandidateResult* best =
        BestProtocol(candidates, kVerdictTelegrams, kVerdictShare, kVerdictErrorShare);
    if (best == nullptr)
        best = RawFit(candidates, path);
    if (best != nullptr) {
        v.Kind = VerdictKind::Found;
        v.Best = *best;
    }
    return v;
}

bool ClearlyAhead(const std::vector<TCandidateResult>& candidates, DetectPath path) {
    if (BestProtocol(candidates, kClearTelegrams, kClearShare, kClearErrorShare) != nullptr)
        return true;
    return RawFit(candidates, path) != nullptr;
}

std::string VerdictText(const TDetectVerdict& v) {
    if (v.Kind == VerdictKind::NoTraffic)
        return "no traffic";
    if (v.Kind == VerdictKind::NoKnownProtocol)
        return "no known protocol";
    const TCandidateResult& b = v.Best;
    const std::string head = std::to_string(b.Setting.Baud) + " Baud, " + FramingText(b.Setting) +
                             ", " + ProtocolText(b.Protocol) + ": ";
    const TDetectEvidence& e = b.Evidence;
    if (b.Protocol == DetectProtocol::Raw)
        return head + std::to_string(e.Bytes) + " bytes without a framing or parity error";
    const long percent = std::lround(100.0 * ExplainedShare(b));
    return head + std::to_string(percent) + " % of bytes in " + std::to_string(e.Telegrams) +
           " good telegrams";
}

} // namespace protmon
