// Block-wise output to a stdio stream.
#include "COutputBuffer.h"

#include "CConsole.h"

#include <utility>

COutputBuffer::COutputBuffer(std::FILE* stream) : m_stream(stream) {
    if (m_stream != nullptr) {
        m_text.reserve(2 * kBlockSize);
    }
}

COutputBuffer::~COutputBuffer() {
    Flush();
}

void COutputBuffer::Flush() {
    if (m_stream == nullptr || m_text.empty()) {
        return;
    }
    // A failed write shows in the stream's error flag, which main() checks.
    CConsole::Write(m_stream, m_text);
    m_text.clear();
}

std::string COutputBuffer::Take() {
    return std::exchange(m_text, {});
}
