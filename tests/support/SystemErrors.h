// The system's error codes the tests expect, by what they mean: errno
// values, or GetLastError() values on Windows.
#pragma once

#include <cerrno>

namespace testing_support {

#ifdef _WIN32
inline constexpr int kFileNotFound = 2; // ERROR_FILE_NOT_FOUND
inline constexpr int kPathNotFound = 3; // ERROR_PATH_NOT_FOUND
inline constexpr int kNotAFolder = 267; // ERROR_DIRECTORY
#else
inline constexpr int kFileNotFound = ENOENT;
inline constexpr int kPathNotFound = ENOENT;
inline constexpr int kNotAFolder = ENOTDIR;
#endif

} // namespace testing_support
