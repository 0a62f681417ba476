#pragma once

#include "model/capture_settings.h"

#include <array>
#include <cstdint>
#include <string>

namespace protmon {

// The fifteen little-endian 32-bit integers at the start of a version 1 monitor file, in file
// order.
enum HeaderField : int {
    kFormatMarker,
    kTimeStampResolution,
    kProtocol,
    kSourceFlags,
    kPortIndex,
    kBaudIndex,
    kMonitorBaud,
    kMonitorDataBits,
    kMonitorParity,
    kTimeStampIndex,
    kHandshake,
    kEndOfTelegramTime,
    kRawDataBits,
    kRawParity,
    kEntryCount,
    kHeaderFieldCount
};

using THeaderValues = std::array<std::int32_t, kHeaderFieldCount>;

constexpr std::int32_t kFormatMarkerV1 = -1;
constexpr std::size_t kHeaderSizeV1 = 4 * kHeaderFieldCount;

// Field name as `protmon-cli info` prints it.
const char* HeaderFieldName(int field);

// Header of a file holding `entryCount` entries written with these settings.
THeaderValues MakeMonitorHeader(const TCaptureSettings& s, std::int32_t entryCount);

// Applies one header value read from a file to the settings, with the reactions that setting the
// matching control by hand has (check-box rules); no dialog is involved. kFormatMarker and
// kEntryCount change nothing.
void ApplyHeaderField(TCaptureSettings& s, HeaderField field, std::int32_t value);

// The end-of-telegram time as stored in a file: the field's decimal integer, or the default for
// the selected bus baud rate when the field holds no integer (e.g. before the dialog was shown).
std::int32_t EndOfTelegramTimeForFile(const TLineMonitorSettings& lm);

// The line monitor baud item and view flag packed as the file stores them: the index plus 65536
// times the flag, so "no baud selected" (-1) is carried in the sum.
std::int32_t PackMonitorBaud(int baudIndex, int viewFlag);
void UnpackMonitorBaud(std::int32_t value, int& baudIndex, int& viewFlag);

} // namespace protmon
