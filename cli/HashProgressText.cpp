// Text of the hashing progress.
#include "HashProgressText.h"

#include <cstdio>

namespace {

constexpr double kMiB = 1024.0 * 1024.0;
constexpr double kGiB = 1024.0 * kMiB;

} // namespace

std::string HashProgressText(const BatchProgress& progress, double seconds) {
    // One unit for both figures, chosen by the total, so that they compare at a glance.
    const bool gib = static_cast<double>(progress.bytesTotal) >= kGiB;
    const double unit = gib ? kGiB : kMiB;
    const double rate = seconds > 0 ? static_cast<double>(progress.bytesDone) / kMiB / seconds : 0;
    char text[160];
    std::snprintf(text, sizeof text, "Hashing: %zu of %zu images, %.1f of %.1f %s, %.0f MiB/s",
                  progress.imagesDone, progress.imagesTotal,
                  static_cast<double>(progress.bytesDone) / unit,
                  static_cast<double>(progress.bytesTotal) / unit, gib ? "GiB" : "MiB", rate);
    return text;
}
