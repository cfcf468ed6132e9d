// Share mode 0: every other open of the file fails with a sharing violation.
#include "CLockedFile.h"

#include "TempDir.h"

#include <stdexcept>
#include <windows.h>

namespace testing_support {

CLockedFile::CLockedFile(const std::string& path)
    : m_hFile(CreateFileW(NativePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (m_hFile == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot lock " + path);
    }
}

CLockedFile::~CLockedFile() {
    CloseHandle(m_hFile);
}

} // namespace testing_support
