#pragma once

#include "detect/line_detector.h"

#include <array>
#include <cstddef>
#include <string>

namespace protmon {

// Columns of the ranked table, in the command line's output and the window's dialog alike.
inline constexpr std::array<const char*, 6> kDetectColumns = {"Setting",   "Protocol", "Telegrams",
                                                              "Explained", "Errors",   "Score"};

// The cells of one row: "38400 8E1", "TRX5", "412", "97 %", "0", "96.5" (raw bytes have no
// telegrams: "-").
std::array<std::string, kDetectColumns.size()> DetectRowTexts(const TCandidateResult& c);

// The first `maxRows` rows of the ranked table under a heading, in aligned columns.
std::string DetectTableText(const std::vector<TCandidateResult>& ranked, std::size_t maxRows);

// Why detection could not listen, for the command line and the dialog: no box answered, or the
// port (`source`, the device or HOST:PORT) could not be had and why. Empty when it could.
std::string DetectFailureText(const TDetectOutcome& outcome, const std::string& source, bool udp);

// One JSON object: baud, framing and protocol of the verdict (null without one), the verdict's
// text, the seconds it took, the box's host-link rate where there was a box, and the table.
std::string DetectJson(const TDetectOutcome& outcome, int linkBaud);

} // namespace protmon
