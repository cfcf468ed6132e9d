// Reading QUILLBEY_JOBS.
#include "ScanJobs.h"

#include <charconv>
#include <cstdlib>

int ParseScanJobs(std::string_view text) {
    int jobs = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, jobs);
    if (error != std::errc() || stop != end || jobs <= 0) {
        return 0;
    }
    return jobs;
}

ScanOptions ScanOptionsFromEnvironment() {
    ScanOptions options;
    if (const char* value = std::getenv(kScanJobsVariable)) {
        options.nJobs = ParseScanJobs(value);
    }
    return options;
}
