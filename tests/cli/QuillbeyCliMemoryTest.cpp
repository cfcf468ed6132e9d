// A large scan through the real binary: in the AddressSanitizer build the
// program's own leak check runs at its exit, so any leak or invalid access
// fails this test; every build reports the peak memory per 1,000 entries.
#include "CliTest.h"

#include <cstdio>
#include <nlohmann/json.hpp>

namespace {
constexpr int kImages = 20000;
}

TEST_F(CliTest, ScanOf20000ImagesExitsCleanlyAndReportsItsMemory) {
#ifdef _WIN32
    GTEST_SKIP() << "no leak check and no peak memory under Wine, where making the files alone "
                    "takes minutes";
#endif
    const auto image = testing_support::BuildImage(testing_support::BuildHeader(), 512);
    for (int i = 0; i < kImages; ++i) {
        m_dir.WriteFile("img" + std::to_string(i) + (i % 2 == 0 ? ".gba" : ".bin"), image);
    }
    const testing_support::TempDir output;
    const std::string json = output.WriteText("scan.json", "");
    const CProcessRunner::Result result = Run({"scan", "--json", m_dir.Path()}, json);
    ASSERT_EQ(result.exitCode, 0) << result.err; // a sanitizer report ends it otherwise
    EXPECT_EQ(result.err, "");

    const auto bytes = testing_support::ReadWholeFile(json);
    const auto document = nlohmann::json::parse(bytes.begin(), bytes.end());
    ASSERT_EQ(document["entries"].size(), static_cast<std::size_t>(kImages));
    EXPECT_EQ(document["entries"][0]["display_name"], "img0.gba");

    const double perThousand = static_cast<double>(result.peakRssKiB) / (kImages / 1000.0);
    RecordProperty("peak_rss_kib", static_cast<int>(result.peakRssKiB));
    std::printf("quillbey-cli scan --json of %d images: peak RSS %ld KiB, %.0f KiB per 1,000\n",
                kImages, result.peakRssKiB, perThousand);
}
