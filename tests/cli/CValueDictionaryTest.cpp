// The values a report's records share: taken in on their second sighting,
// never when too short or too long to gain, kept as they are once the
// dictionary is full, and one reference per value whichever thread asks.
#include "cli/CValueDictionary.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

TEST(ValueDictionary, ValuesAreSharedFromTheirSecondSighting) {
    CValueDictionary dictionary;
    const std::string longest(CValueDictionary::kLongestValue, 'x');
    for (const std::string& value : {std::string("Konami"), std::string("00"), longest}) {
        EXPECT_FALSE(dictionary.Find(value)) << value;
        const auto reference = dictionary.Find(value);
        ASSERT_TRUE(reference) << value;
        EXPECT_EQ(dictionary.Find(value), reference);
        EXPECT_EQ(dictionary.At(*reference), value);
    }
    for (const std::string& value : {std::string(), std::string("-"), longest + "x"}) {
        EXPECT_FALSE(dictionary.Find(value));
        EXPECT_FALSE(dictionary.Find(value)) << value;
    }
}

TEST(ValueDictionary, AFullDictionaryKeepsNewValuesAsTheyAre) {
    CValueDictionary dictionary;
    std::vector<std::uint16_t> references;
    for (std::size_t i = 0; i < CValueDictionary::kCapacity; ++i) {
        const std::string value = "value " + std::to_string(i);
        dictionary.Find(value);
        references.push_back(dictionary.Find(value).value());
    }
    dictionary.Find("one too many");
    EXPECT_FALSE(dictionary.Find("one too many"));
    for (std::size_t i = 0; i < references.size(); ++i) {
        EXPECT_EQ(dictionary.At(references[i]), "value " + std::to_string(i));
        EXPECT_EQ(dictionary.Find("value " + std::to_string(i)), references[i]);
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
