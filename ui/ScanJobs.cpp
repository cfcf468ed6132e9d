// Reading QUILLBEY_JOBS.
#include "ScanJobs.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

int JobsFromText(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    int jobs = 0;
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, jobs);
    const bool whole = error == std::errc() && stop == end;
    return whole && jobs >= 1 && jobs <= 256 ? jobs : 0;
}

ScanOptions ScanOptionsFromEnvironment() {
    ScanOptions options;
    options.nJobs = JobsFromText(std::getenv("QUILLBEY_JOBS"));
    return options;
}
