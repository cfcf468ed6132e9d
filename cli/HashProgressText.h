// The progress line shown while images are read whole: how many images and
// bytes of the whole are done, and the rate so far, as in
// "Hashing: 120 of 10000 images, 1.2 of 40.0 GiB, 412 MiB/s".
#pragma once

#include "romio/CBatchHasher.h"

#include <string>

// `seconds`: the time the hashing has taken so far.
std::string HashProgressText(const BatchProgress& progress, double seconds);
