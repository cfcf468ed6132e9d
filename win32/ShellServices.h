// What the main dialog asks of the Windows shell: a folder from the
// system's folder browser, and text on the clipboard.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// The folder the user picks (UTF-8), titled "Select Folder."; nullopt when
// cancelled or when the folder has no file-system path.
std::optional<std::string> BrowseForFolder(HWND owner);

// Puts UTF-8 text on the clipboard, its lines ending in CR LF as Windows
// programs expect; false when the clipboard could not be had.
bool CopyTextToClipboard(HWND owner, const std::string& utf8);
