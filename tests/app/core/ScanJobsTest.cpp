// QUILLBEY_JOBS: only a positive whole number sets the loads in flight.
#include "app/core/ScanJobs.h"

#include <gtest/gtest.h>

TEST(ScanJobs, OnlyAPositiveWholeNumberCounts) {
    const std::pair<const char*, int> cases[] = {
        {"8", 8},
        {"1", 1},
        {"0032", 32},
        {"0", 0},
        {"-3", 0},
        {"+4", 0},
        {"", 0},
        {" 8", 0},
        {"8 ", 0},
        {"8x", 0},
        {"eight", 0},
        {"1.5", 0},
        {"2147483647", 2147483647},
        {"2147483648", 0},
        {"99999999999999999999", 0},
    };
    for (const auto& [text, jobs] : cases) {
        EXPECT_EQ(ParseScanJobs(text), jobs) << '"' << text << '"';
    }
}
