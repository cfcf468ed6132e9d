// The maker's notice, web page and mail address shown at the foot of the
// dialog. Plain #defines first, so that the Win32 resource script can put
// them into its dialog template; C++ code uses the constants below.
#pragma once

#define QB_MAKER_NOTICE "Freeware by the Quillbey team"
#define QB_MAKER_WEB_ADDRESS "https://quillbey.example.org/"
#define QB_MAKER_MAIL_ADDRESS "quillbey@example.org"

#ifndef RC_INVOKED
namespace MakerInfo {
inline constexpr const char* kNotice = QB_MAKER_NOTICE;
inline constexpr const char* kWebAddress = QB_MAKER_WEB_ADDRESS;
inline constexpr const char* kMailAddress = QB_MAKER_MAIL_ADDRESS;
} // namespace MakerInfo
#endif
