// QUILLBEY_JOBS: a whole number of loads from 1 to 256, or the scan decides.
#include "ui/ScanJobs.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

TEST(JobsFromText, TakesAWholeNumberFrom1To256AndNothingElse) {
    for (const auto& [text, jobs] : std::vector<std::pair<const char*, int>>{{"8", 8},
                                                                             {"1", 1},
                                                                             {"256", 256},
                                                                             {nullptr, 0},
                                                                             {"", 0},
                                                                             {"0", 0},
                                                                             {"257", 0},
                                                                             {"-4", 0},
                                                                             {"4x", 0},
                                                                             {" 4", 0},
                                                                             {"99999999999", 0}}) {
        EXPECT_EQ(JobsFromText(text), jobs) << (text != nullptr ? text : "(unset)");
    }
}
