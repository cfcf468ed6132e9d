// The parts of a regular file's handle that are the same on every system:
// moving it and closing it when it goes.
#include "CRegularFile.h"

#include <utility>

CRegularFile::CRegularFile(CRegularFile&& other) noexcept
    : m_handle(std::exchange(other.m_handle, -1)), m_size(other.m_size) {}

CRegularFile& CRegularFile::operator=(CRegularFile&& other) noexcept {
    if (this != &other) {
        Close();
        m_handle = std::exchange(other.m_handle, -1);
        m_size = other.m_size;
    }
    return *this;
}

CRegularFile::~CRegularFile() {
    Close();
}
