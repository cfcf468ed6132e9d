// The clrmamepro text form's tokens.
#include "CDatTokenizer.h"

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool EndsWord(char c) {
    return IsSpace(c) || c == '(' || c == ')' || c == '"';
}

} // namespace

void CDatTokenizer::SkipSpace() {
    while (m_pos < m_text.size() && IsSpace(m_text[m_pos])) {
        if (m_text[m_pos] == '\n') {
            ++m_line;
        }
        ++m_pos;
    }
}

DatToken CDatTokenizer::Next() {
    SkipSpace();
    if (m_pos >= m_text.size()) {
        return {DatToken::Kind::End, {}, m_line};
    }
    const char c = m_text[m_pos];
    if (c == '(' || c == ')') {
        ++m_pos;
        return {c == '(' ? DatToken::Kind::Open : DatToken::Kind::Close,
                m_text.substr(m_pos - 1, 1), m_line};
    }
    if (c == '"') {
        const std::size_t start = m_pos + 1;
        const std::size_t end = m_text.find_first_of("\"\n", start);
        if (end == std::string_view::npos || m_text[end] == '\n') {
            // Everything up to the line's end is taken, so that reading
            // could go on; the reader stops at this token anyway.
            m_pos = end == std::string_view::npos ? m_text.size() : end;
            return {DatToken::Kind::Unterminated, m_text.substr(start, m_pos - start), m_line};
        }
        m_pos = end + 1;
        return {DatToken::Kind::String, m_text.substr(start, end - start), m_line};
    }
    const std::size_t start = m_pos;
    while (m_pos < m_text.size() && !EndsWord(m_text[m_pos])) {
        ++m_pos;
    }
    return {DatToken::Kind::Word, m_text.substr(start, m_pos - start), m_line};
}
