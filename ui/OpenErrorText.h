// Launch results of opening a link and the texts that explain a failed one.
// A result above kSuccessThreshold means the target was opened; anything
// else is one of the codes below (or another, shown by number).
#pragma once

#include <string>

constexpr int kSuccessThreshold = 32;
// What a successful launch reports: any value above the threshold would do.
constexpr int kLaunchSucceeded = 33;

// The codes a launch reports, with the values of the shell's SE_ERR_* codes
// and ERROR_BAD_FORMAT, so that a Windows launch result needs no mapping.
constexpr int kOutOfResources = 0;
constexpr int kErrFileNotFound = 2;
constexpr int kErrPathNotFound = 3;
constexpr int kErrAccessDenied = 5;
constexpr int kErrOutOfMemory = 8;
constexpr int kErrBadFormat = 11;
constexpr int kErrSharingViolation = 26;
constexpr int kErrAssociationIncomplete = 27;
constexpr int kErrDdeTimeout = 28;
constexpr int kErrDdeFailed = 29;
constexpr int kErrDdeBusy = 30;
constexpr int kErrNoAssociation = 31;
constexpr int kErrDllNotFound = 32;

constexpr const char* kOpenErrorPrefix = "Unable to open hyperlink:\n\n";

// The explanation of one launch result, without the prefix.
std::string OpenErrorText(int code);

// The whole text of the failure box: the prefix followed by the explanation.
std::string OpenErrorMessage(int code);
