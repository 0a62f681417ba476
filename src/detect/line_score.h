#pragma once

#include "detect/line_evidence.h"
#include "detect/line_setting.h"

#include <string>
#include <vector>

namespace protmon {

// One row of the ranked table.
struct TCandidateResult {
    TLineSetting Setting;
    DetectProtocol Protocol = DetectProtocol::Raw;
    TDetectEvidence Evidence;
    double Score = 0; // 0 .. 100
};

// Share of the received characters that the candidate explains: those inside good telegrams for
// a protocol, those without an error for raw bytes.
double ExplainedShare(const TCandidateResult& c);

// Score of a candidate from its evidence alone, 0 to 100. A protocol scores by the share of
// characters in good telegrams, once enough telegrams back it, less for receive errors; raw
// bytes score at most half as much, by error-free characters, so a protocol that explains the
// line always ranks above the bare framing.
double ScoreCandidate(DetectProtocol protocol, const TDetectEvidence& e);

// Error-free as far as raw bytes go: a few stray errors from a change of setting aside.
bool LooksClean(const TDetectEvidence& e);
// Characters a raw candidate needs before its errors, or their absence, count, and the errors that
// rule its framing out however few characters it heard.
inline constexpr std::int64_t kRawEvidenceBytes = 64;
inline constexpr std::int64_t kRejectingErrors = 8;

// Highest score first; equal scores keep the order in which the settings were tried.
void RankCandidates(std::vector<TCandidateResult>& candidates);

enum class VerdictKind { NoTraffic, NoKnownProtocol, Found };
struct TDetectVerdict {
    VerdictKind Kind = VerdictKind::NoKnownProtocol;
    TCandidateResult Best; // Found only
};

// How the evidence was gathered: directly on a port, whose receive errors tell a wrong framing,
// or behind a box, which forwards frames only when its bus settings fit (and marks no errors).
enum class DetectPath { Direct, Box };

// The verdict on the candidates heard so far. A protocol needs enough good telegrams that
// explain nearly every character without errors. Raw bytes need the error-free settings to share
// one rate while the port has shown errors at others (behind a box: one rate alone forwarding),
// and a framing among them that the errors single out. Bytes that fit every setting alike (no
// errors anywhere) are no verdict: a false one is worse than none.
TDetectVerdict DecideVerdict(const std::vector<TCandidateResult>& candidates, DetectPath path);

// True when the verdict cannot change any more for the better: a protocol far beyond the
// verdict's thresholds, or a raw framing whose rate has been heard at every framing.
bool ClearlyAhead(const std::vector<TCandidateResult>& candidates, DetectPath path);

// "38400 Baud, 8E1, TRX5: 97 % of bytes in 412 good telegrams", "no traffic", "no known
// protocol".
std::string VerdictText(const TDetectVerdict& v);

} // namespace protmon
