// The parts of the file system access that are the same on every platform,
// built on the platform's own CRegularFile.
#include "CFileSystem.h"

#include "CRegularFile.h"

std::optional<std::string> CFileSystem::ReadSmallFile(const std::string& path,
                                                      std::size_t maxSize) {
    const auto file = CRegularFile::Open(path);
    if (!file || file->Size() > maxSize) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(file->Size()), '\0');
    bool failed = false;
    bytes.resize(file->ReadAt(
        0, std::span(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()), &failed));
    if (failed) {
        return std::nullopt;
    }
    return bytes;
}

std::string CFileSystem::FileErrorText(const FileError& error) {
    switch (error.failure) {
    case FileFailure::IsFolder:
        return "is a folder";
    case FileFailure::NotRegularFile:
        return "not a regular file";
    case FileFailure::None:
    case FileFailure::NotFound:
    case FileFailure::Unreadable:
        break;
    }
    return error.code != 0 ? ErrorText(error.code) : std::string("cannot be read");
}
