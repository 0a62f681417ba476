#include "session/metrics_exposition.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace protmon {
namespace {

using namespace std::chrono_literals;

// Two drives (one answered in both classes, one with an orphan only), two channels, a quote in
// the version to see label escaping.
TMetricsSnapshot Snapshot(std::chrono::steady_clock::time_point now) {
    TMetricsSnapshot s;
    TDriveMetrics a{0x0A, 1, {}, {}};
    a.Services.push_back({0x00, 7, 6, 1, 2});
    a.Services.push_back({0x4E, 2, 2, 0, 0});
    for (const std::int64_t us : {400, 500, 501, 2'500, 2'000'000, 2'000'001})
        a.Times[0].Observe(us);
    a.Times[1].Observe(1'500);
    a.Times[1].Observe(12'000);
    s.Drives.push_back(a);
    s.Drives.push_back({0x02, 3, {}, {}});
    s.Entries = 21;
    s.ReceiveErrors = {0, 1, 0, 4, 2};
    s.DroppedRingFull = 5;
    s.DroppedSystem = 0;
    s.Channels = {{1, 1234, 0.125}, {2, 56, 0.0625}};
    s.Connected = true;
    s.LastTelegram = now - 1500ms;
    s.FileChanges = 3;
    s.Version = "4.1 \"test\"";
    return s;
}

std::string Golden(const char* name) {
    std::ifstream in(std::string(PROTMON_TEST_DATA) + "/metrics/" + name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(MetricsExposition, GoldenTextPerFormat) {
    struct TCase {
        const char* Accept;
        ExpositionFormat Format;
        const char* ContentType;
        const char* File;
    };
    const TCase cases[] = {
        {"", ExpositionFormat::Prometheus, "text/plain; version=0.0.4; charset=utf-8",
         "exposition.prom"},
        {"text/plain;version=0.0.4;q=0.5,*/*;q=0.1", ExpositionFormat::Prometheus,
         "text/plain; version=0.0.4; charset=utf-8", "exposition.prom"},
        {"application/openmetrics-text;version=1.0.0,text/plain;version=0.0.4;q=0.5",
         ExpositionFormat::OpenMetrics,
         "application/openmetrics-text; version=1.0.0; charset=utf-8", "exposition.openmetrics"},
    };
    const auto now = std::chrono::steady_clock::time_point{} + 100s;
    for (const TCase& c : cases) {
        const ExpositionFormat format = ExpositionFormatFor(c.Accept);
        EXPECT_EQ(format, c.Format) << c.Accept;
        EXPECT_STREQ(ExpositionContentType(format), c.ContentType);
        EXPECT_EQ(MetricsExposition(Snapshot(now), now, format), Golden(c.File)) << c.File;
    }
}

} // namespace
} // namespace protmon
