// The clrmamepro text DAT reader: a loop over blocks, no recursion, so that
// nesting in hostile input costs neither stack nor memory.
#include "CDatTextReader.h"

#include "CDatBuilder.h"
#include "DatFields.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace {

// What a DAT in this form starts with.
constexpr std::array<std::string_view, 5> kFirstBlocks{"clrmamepro", "game", "machine", "resource",
                                                       "emulator"};

bool IsGameBlock(std::string_view name) {
    return name == "game" || name == "machine" || name == "resource";
}

bool IsValue(const DatToken& token) {
    return token.kind == DatToken::Kind::Word || token.kind == DatToken::Kind::String;
}

// Keeps the first value a field is given.
void Take(std::optional<std::string_view>& slot, std::string_view value) {
    if (!slot) {
        slot = value;
    }
}

std::string Describe(const DatToken& token) {
    switch (token.kind) {
    case DatToken::Kind::Open:
        return "\"(\"";
    case DatToken::Kind::Close:
        return "\")\"";
    case DatToken::Kind::String:
        return "the string " + QuoteForMessage(token.text);
    case DatToken::Kind::Word:
        return QuoteForMessage(token.text);
    case DatToken::Kind::Unterminated:
    case DatToken::Kind::End:
        break;
    }
    return "the end of the file";
}

} // namespace

bool CDatTextReader::Read(std::string_view text, CDatBuilder& builder) {
    CDatTextReader reader(text, builder);
    return reader.ReadBlocks();
}

bool CDatTextReader::FailOnToken(const DatToken& token, std::size_t openLine,
                                 std::string_view expected) {
    if (token.kind == DatToken::Kind::Unterminated) {
        return m_builder.Fail(token.line, "string not closed on its line");
    }
    if (token.kind == DatToken::Kind::End) {
        return m_builder.Fail(openLine, "\"(\" not closed before the end of the file");
    }
    return m_builder.Fail(token.line,
                          "expected " + std::string(expected) + ", found " + Describe(token));
}

bool CDatTextReader::ReadBlocks() {
    bool first = true;
    while (true) {
        const DatToken name = m_tokens.Next();
        if (name.kind == DatToken::Kind::End) {
            return true;
        }
        const bool known =
            std::find(kFirstBlocks.begin(), kFirstBlocks.end(), name.text) != kFirstBlocks.end();
        const DatToken open = name.kind == DatToken::Kind::Word ? m_tokens.Next() : DatToken{};
        if (first &&
            (!known || name.kind != DatToken::Kind::Word || open.kind != DatToken::Kind::Open)) {
            return m_builder.Fail(name.line, "not a DAT: neither Logiqx XML nor clrmamepro text");
        }
        first = false;
        if (name.kind != DatToken::Kind::Word) {
            return FailOnToken(name, name.line, "a block name");
        }
        if (open.kind != DatToken::Kind::Open) {
            return FailOnToken(open, name.line, "\"(\" after " + QuoteForMessage(name.text));
        }
        bool read = true;
        if (name.text == "clrmamepro") {
            read = ReadHeader(name.line);
        } else if (IsGameBlock(name.text)) {
            read = ReadGame(name.line);
        } else {
            read = SkipBlock(name.line);
        }
        if (!read) {
            return false;
        }
    }
}

CDatTextReader::Step CDatTextReader::NextField(std::size_t openLine, Field& field) {
    field.key = m_tokens.Next();
    if (field.key.kind == DatToken::Kind::Close) {
        return Step::Closed;
    }
    if (field.key.kind != DatToken::Kind::Word) {
        FailOnToken(field.key, openLine, "a field name or \")\"");
        return Step::Fault;
    }
    field.value = m_tokens.Next();
    if (field.value.kind == DatToken::Kind::Open || IsValue(field.value)) {
        return Step::Field;
    }
    FailOnToken(field.value, openLine, "a value for " + QuoteForMessage(field.key.text));
    return Step::Fault;
}

bool CDatTextReader::ReadHeader(std::size_t line) {
    std::optional<std::string_view> name;
    std::optional<std::string_view> version;
    std::optional<std::string_view> description;
    Field field;
    Step step = Step::Field;
    while ((step = NextField(line, field)) == Step::Field) {
        if (field.value.kind == DatToken::Kind::Open) {
            if (!SkipBlock(field.key.line)) {
                return false;
            }
        } else if (field.key.text == "name") {
            Take(name, field.value.text);
        } else if (field.key.text == "version") {
            Take(version, field.value.text);
        } else if (field.key.text == "description") {
            Take(description, field.value.text);
        }
    }
    return step == Step::Closed && m_builder.SetHeader(name.value_or(""), version.value_or(""),
                                                       description.value_or(""), line);
}

bool CDatTextReader::ReadGame(std::size_t line) {
    std::optional<std::string_view> name;
    std::vector<RawDatRom> roms;
    Field field;
    Step step = Step::Field;
    while ((step = NextField(line, field)) == Step::Field) {
        if (field.value.kind == DatToken::Kind::Open) {
            const bool read = field.key.text == "rom" ? ReadRom(field.key.line, roms.emplace_back())
                                                      : SkipBlock(field.key.line);
            if (!read) {
                return false;
            }
        } else if (field.key.text == "name") {
            Take(name, field.value.text);
        }
    }
    return step == Step::Closed && m_builder.AddGame(name, line, roms);
}

bool CDatTextReader::ReadRom(std::size_t line, RawDatRom& rom) {
    rom.line = line;
    Field field;
    Step step = Step::Field;
    while ((step = NextField(line, field)) == Step::Field) {
        if (field.value.kind == DatToken::Kind::Open) {
            if (!SkipBlock(field.key.line)) {
                return false;
            }
            continue;
        }
        const std::string_view key = field.key.text;
        const std::string_view value = field.value.text;
        if (key == "name") {
            Take(rom.name, value);
        } else if (key == "size") {
            Take(rom.size, value);
        } else if (key == "crc" || key == "crc32") {
            Take(rom.crc, value);
        } else if (key == "md5") {
            Take(rom.md5, value);
        } else if (key == "sha1") {
            Take(rom.sha1, value);
        } else if (key == "serial") {
            Take(rom.serial, value);
        } else if (key == "flags" || key == "status") {
            Take(rom.status, value);
        }
    }
    return step == Step::Closed;
}

bool CDatTextReader::SkipBlock(std::size_t line) {
    std::size_t depth = 1;
    while (depth > 0) {
        const DatToken token = m_tokens.Next();
        if (token.kind == DatToken::Kind::Open) {
            ++depth;
        } else if (token.kind == DatToken::Kind::Close) {
            --depth;
        } else if (token.kind == DatToken::Kind::End ||
                   token.kind == DatToken::Kind::Unterminated) {
            return FailOnToken(token, line, "");
        }
    }
    return true;
}
