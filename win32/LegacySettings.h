// Where older versions of the program kept the folder setting: quillbey.ini
// in the Windows directory (CFileSystem::LegacySettingsPath), as this user
// sees it.
#pragma once

#include <string>

// That file's path (UTF-8). Windows has long redirected an older program's
// writes into its own folder to the user's VirtualStore folder, so the copy
// there, when there is one, is the one the older version read back and is
// preferred.
std::string LegacySettingsFile();
