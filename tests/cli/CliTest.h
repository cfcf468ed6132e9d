// Shared set-up of the quillbey-cli tests: a folder for the images, a scratch
// folder for the captured output, and the real binary to run.
#pragma once

#include "CProcessRunner.h"
#include "tests/support/HeaderBuilder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

class CliTest : public ::testing::Test {
protected:
    CliTest() : m_runner(QB_CLI_PATH, m_scratch.Path()) {}

    CProcessRunner::Result Run(const std::vector<std::string>& args,
                               const std::string& stdoutTarget = {}) const {
        CProcessRunner::Result result = m_runner.Run(args, stdoutTarget);
        EXPECT_FALSE(result.timedOut) << "quillbey-cli did not end";
        return result;
    }

    // Writes an image of `size` bytes with the given header into the folder.
    std::string WriteImage(const std::string& name,
                           const testing_support::HeaderFields& fields = {},
                           std::size_t size = 512) const {
        return m_dir.WriteFile(
            name, testing_support::BuildImage(testing_support::BuildHeader(fields), size));
    }

    static std::size_t LineCount(const std::string& text) {
        return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    }

    testing_support::TempDir m_dir;

private:
    testing_support::TempDir m_scratch;
    CProcessRunner m_runner;
};
