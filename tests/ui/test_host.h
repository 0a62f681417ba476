#pragma once

#include "support/recording_host.h"

namespace protmon {

// The window tests use the core tests' recording host.
using TTestHost = test::TRecordingHost;

} // namespace protmon
