// The values a report's records share: taken in on their second sighting
// while there is room, never when too short or too long to gain, and one
// reference per value whichever thread asks.
#include "cli/CValueDictionary.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

TEST(ValueDictionary, ValuesAreSharedFromTheirSecondSightingWhileThereIsRoom) {
    CValueDictionary dictionary;
    const std::string longest(CValueDictionary::kLongestValue, 'x');
    for (const std::string& value : {std::string("-"), longest + "x"}) {
        dictionary.Find(value);
        EXPECT_FALSE(dictionary.Find(value)) << value;
    }
    std::vector<std::string> values = {"00", longest};
    for (std::size_t i = values.size(); i < CValueDictionary::kCapacity; ++i) {
        values.push_back("value " + std::to_string(i));
    }
    std::vector<std::uint16_t> references;
    for (const std::string& value : values) {
        EXPECT_FALSE(dictionary.Find(value)) << value;
        references.push_back(dictionary.Find(value).value());
    }
    dictionary.Find("one too many");
    EXPECT_FALSE(dictionary.Find("one too many"));
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(dictionary.At(references[i]), values[i]);
        EXPECT_EQ(dictionary.Find(values[i]), references[i]);
    }
}

TEST(ValueDictionary, ThreadsAgreeOnEachReference) {
    CValueDictionary dictionary;
    std::mutex mutex;
    std::map<std::string, std::vector<std::uint16_t>> seen;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int round = 0; round < 3; ++round) {
                for (int i = 0; i < 300; ++i) {
                    const std::string value = "maker " + std::to_string(i);
                    if (const auto reference = dictionary.Find(value)) {
                        EXPECT_EQ(dictionary.At(*reference), value);
                        const std::lock_guard lock(mutex);
                        seen[value].push_back(*reference);
                    }
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(seen.size(), 300U); // every value came at least twice
    for (const auto& [value, references] : seen) {
        EXPECT_EQ(std::count(references.begin(), references.end(), references.front()),
                  static_cast<std::ptrdiff_t>(references.size()))
            << value;
    }
}
