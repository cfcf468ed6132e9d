// Output text collected in one buffer and handed to a stream in large blocks,
// so that a report of 100,000 entries is neither built whole in memory nor
// written in small pieces. Without a stream it keeps everything (for callers
// that want the text).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

class COutputBuffer {
public:
    // `stream` may be nullptr: then nothing is written and Take() gives the text.
    explicit COutputBuffer(std::FILE* stream = nullptr);
    // Writes what is left.
    ~COutputBuffer();

    COutputBuffer(const COutputBuffer&) = delete;
    COutputBuffer& operator=(const COutputBuffer&) = delete;

    // The text not written yet; append to it freely, then call Written().
    std::string& Text() { return m_text; }
    void Append(std::string_view text) { m_text.append(text); }
    // Call between records: hands the text on once a block has gathered.
    void Written() {
        if (m_stream != nullptr && m_text.size() >= kBlockSize) {
            Flush();
        }
    }
    void Flush();
    // Everything collected (only meaningful without a stream).
    std::string Take();

private:
    static constexpr std::size_t kBlockSize = 1 << 16;

    std::FILE* m_stream;
    std::string m_text;
};
