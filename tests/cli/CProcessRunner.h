// Runs a program with arguments, as a shell would but without one, and
// collects its exit code, standard output and standard error.
#pragma once

#include <chrono>
#include <string>
#include <vector>

class CProcessRunner {
public:
    struct Result {
        int exitCode = -1; // -1 when the program did not exit normally
        std::string out;
        std::string err;
        bool timedOut = false;
        long peakRssKiB = 0; // the program's peak resident memory, once it has exited
    };

    // `scratchDir` holds the files that catch the output.
    CProcessRunner(std::string program, std::string scratchDir);

    // Runs the program in `folder` rather than in the test's own.
    void SetWorkingDir(std::string folder) { m_strWorkingDir = std::move(folder); }

    // Starts the program with `args`, stdin from /dev/null, and waits for it.
    // A program still running after `hangGuard` is killed (timedOut is set).
    // `stdoutTarget` non-empty: standard output goes there instead (`out` stays empty).
    Result Run(const std::vector<std::string>& args, const std::string& stdoutTarget = {},
               std::chrono::seconds hangGuard = std::chrono::seconds(120)) const;

private:
    std::string m_strProgram;
    std::string m_strScratchDir;
    std::string m_strWorkingDir;
};
