// Splits clrmamepro DAT text into tokens: "(" and ")", quoted strings and
// bare words, each with the line it starts on. Strings end at the next
// quote on the same line; there are no escapes (names hold backslashes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

struct DatToken {
    enum class Kind : std::uint8_t {
        Open,
        Close,
        Word,         // a run of bytes up to white space, a parenthesis or a quote
        String,       // the text between the quotes
        Unterminated, // a quote with no closing one on its line
        End,
    };
    Kind kind = Kind::End;
    std::string_view text;
    std::size_t line = 0;
};

class CDatTokenizer {
public:
    explicit CDatTokenizer(std::string_view text) : m_text(text) {}

    // The next token; End (again and again) once the text is used up.
    DatToken Next();

private:
    void SkipSpace();

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_line = 1;
};
