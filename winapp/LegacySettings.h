// Where older versions of the program kept the folder setting: an INI file
// named after the program, in the Windows directory.
#pragma once

#include <string>

// That file's path (UTF-8). Windows has long redirected a program's writes
// into its own folder to the user's VirtualStore folder, so the copy there,
// when there is one, is the one the older version read back and is preferred.
std::string LegacySettingsPath();
