// Shared set-up of the hostile-folder tests: folders built to break a scan,
// scanned through the real quillbey-cli (`scan --json`) under a kill-on-hang
// guard. Every scan also proves that nothing under the folder changed, and
// parses the output strictly, so that invalid UTF-8 or an unescaped byte fails.
#pragma once

#include "CProcessRunner.h"
#include "tests/support/TempDir.h"
#include "tests/support/TreeSnapshot.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// One row of the scan's JSON, reduced to what a hostile case decides.
struct ScannedRow {
    std::string displayName;
    std::string fileName;
    std::string innerName;
    std::uint64_t size = 0;
    std::uint32_t crc32 = 0;
    std::uint32_t flags = 0;
    bool headerValid = false;
    std::string internalName; // the details panel's name ("" when the header is invalid)

    bool operator==(const ScannedRow&) const = default;
};

inline void PrintTo(const ScannedRow& row, std::ostream* out) {
    *out << "{'" << row.displayName << "', file '" << row.fileName << "', inner '" << row.innerName
         << "', size " << row.size << ", crc " << row.crc32 << ", flags " << row.flags
         << (row.headerValid ? ", valid '" + row.internalName + "'" : ", invalid") << "}";
}

// Flags of an image whose first 512 bytes read as zeros (or nearly): the
// logo test fails and the stored complement 00 is not the computed E7.
inline constexpr std::uint32_t kZeroHeaderFlags = 0x18;

// A row for an image read whole and sound.
inline ScannedRow SoundRow(const std::string& fileName, const std::string& innerName,
                           std::uint64_t size, std::uint32_t crc32,
                           const std::string& internalName) {
    return {innerName.empty() ? fileName : innerName,
            fileName,
            innerName,
            size,
            crc32,
            0,
            true,
            internalName};
}

// A row for an image of which nothing (or too little) could be read.
inline ScannedRow ZeroRow(const std::string& fileName, const std::string& innerName,
                          std::uint64_t size, std::uint32_t crc32) {
    return {innerName.empty() ? fileName : innerName,
            fileName,
            innerName,
            size,
            crc32,
            kZeroHeaderFlags,
            false,
            ""};
}

class HostileScanTest : public ::testing::Test {
protected:
    // Generous: a sanitizer build is slow; a real hang still ends the test.
    static constexpr std::chrono::seconds kHangGuard{300};

    HostileScanTest() : m_runner(QB_CLI_PATH, m_scratch.Path()) {}

    // Scans `folder` with `quillbey-cli scan --json`, checks that it ended by
    // itself with exit code 0 and left the folder as it was, and returns the
    // parsed document (an empty object when any of that failed).
    nlohmann::json ScanJson(const std::string& folder) const {
        const testing_support::TreeSnapshot before = testing_support::SnapshotTree(folder);
        const CProcessRunner::Result result =
            m_runner.Run({"scan", "--json", folder}, {}, kHangGuard);
        EXPECT_FALSE(result.timedOut) << "quillbey-cli stalled on " << folder;
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(testing_support::DescribeChanges(before, testing_support::SnapshotTree(folder)),
                  "")
            << "the scan changed the folder";
        try {
            return nlohmann::json::parse(result.out); // strict: rejects invalid UTF-8
        } catch (const nlohmann::json::exception& e) {
            ADD_FAILURE() << "not a JSON document: " << e.what();
            return nlohmann::json::object();
        }
    }

    static std::vector<ScannedRow> RowsOf(const nlohmann::json& document) {
        std::vector<ScannedRow> rows;
        if (!document.contains("entries")) {
            return rows;
        }
        for (const nlohmann::json& entry : document["entries"]) {
            ScannedRow row;
            row.displayName = entry["display_name"].get<std::string>();
            row.fileName = entry["file_name"].get<std::string>();
            row.innerName = entry["inner_name"].get<std::string>();
            row.size = entry["size"].get<std::uint64_t>();
            row.crc32 = entry["crc32"].get<std::uint32_t>();
            row.flags = entry["flags"].get<std::uint32_t>();
            row.headerValid = entry["header_valid"].get<bool>();
            row.internalName = entry["details"]["internal_name"].get<std::string>();
            rows.push_back(row);
        }
        return rows;
    }

    std::vector<ScannedRow> ScanRows(const std::string& folder) const {
        return RowsOf(ScanJson(folder));
    }

    testing_support::TempDir m_dir;

private:
    testing_support::TempDir m_scratch;
    CProcessRunner m_runner;
};
