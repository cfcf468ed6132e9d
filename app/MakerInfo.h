// The maker's notice, web page and mail address shown at the foot of the dialog.
#pragma once

namespace MakerInfo {
inline constexpr const char* kNotice = "Freeware by the Quillbey team";
inline constexpr const char* kWebAddress = "https://quillbey.example.org/";
inline constexpr const char* kMailAddress = "quillbey@example.org";
} // namespace MakerInfo
