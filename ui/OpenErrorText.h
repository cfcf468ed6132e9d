// Launch results of opening a link and the texts that explain a failed one.
// A result above kSuccessThreshold means the target was opened; anything
// else is one of the codes below (or another, shown by number).
#pragma once

#include <string>

constexpr int kSuccessThreshold = 32;
// What a successful launch reports: any value above the threshold would do.
constexpr int kLaunchSucceeded = 33;

// The codes below carry their Windows names; <windows.h> defines the same
// values as macros, and a file that includes it uses those.
constexpr int kOutOfResources = 0;
#ifndef SE_ERR_FNF
constexpr int SE_ERR_FNF = 2;
constexpr int SE_ERR_PNF = 3;
constexpr int SE_ERR_ACCESSDENIED = 5;
constexpr int SE_ERR_OOM = 8;
constexpr int SE_ERR_SHARE = 26;
constexpr int SE_ERR_ASSOCINCOMPLETE = 27;
constexpr int SE_ERR_DDETIMEOUT = 28;
constexpr int SE_ERR_DDEFAIL = 29;
constexpr int SE_ERR_DDEBUSY = 30;
constexpr int SE_ERR_NOASSOC = 31;
constexpr int SE_ERR_DLLNOTFOUND = 32;
#endif
#ifndef ERROR_BAD_FORMAT
constexpr int ERROR_BAD_FORMAT = 11;
#endif

constexpr const char* kOpenErrorPrefix = "Unable to open hyperlink:\n\n";

// The explanation of one launch result, without the prefix.
std::string OpenErrorText(int code);

// The whole text of the failure box: the prefix followed by the explanation.
std::string OpenErrorMessage(int code);
