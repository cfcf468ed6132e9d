// A file held open with no sharing, the way a program locks the file it
// works on: until the object goes away, nobody else can open it (Windows).
#pragma once

#include <string>

namespace testing_support {

class CLockedFile {
public:
    // Opens the existing file at `path`; throws when it cannot.
    explicit CLockedFile(const std::string& path);
    ~CLockedFile();
    CLockedFile(const CLockedFile&) = delete;
    CLockedFile& operator=(const CLockedFile&) = delete;

private:
    void* m_hFile;
};

} // namespace testing_support
