// Why the operating system would not give a file, in terms the program acts
// on, with the system's own error code (errno, or GetLastError() on Windows)
// for the words (CFileSystem::ErrorText).
#pragma once

#include <cstdint>

enum class FileFailure : std::uint8_t {
    None,
    NotFound,       // nothing by that name, or a link to nothing
    IsFolder,       // a folder where a file was wanted
    NotRegularFile, // a device, pipe, socket or reserved device name
    Unreadable,     // there, but it cannot be opened or read (permissions, a lock)
};

struct FileError {
    FileFailure failure = FileFailure::None;
    int code = 0;
};
