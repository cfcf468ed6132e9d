// The Logiqx XML DAT reader, over pugixml's document tree.
#include "CDatXmlReader.h"

#include "CDatBuilder.h"
#include "DatFields.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace {

// Turns offsets into line numbers; elements come in document order, so the
// count goes forward from the last offset asked for instead of from the start.
class LineCounter {
public:
    explicit LineCounter(std::string_view text) : m_text(text) {}

    std::size_t LineAt(std::ptrdiff_t offset) {
        const auto target =
            std::min(static_cast<std::size_t>(std::max<std::ptrdiff_t>(offset, 0)), m_text.size());
        if (target < m_pos) {
            m_pos = 0;
            m_line = 1;
        }
        m_line += static_cast<std::size_t>(
            std::count(m_text.begin() + static_cast<std::ptrdiff_t>(m_pos),
                       m_text.begin() + static_cast<std::ptrdiff_t>(target), '\n'));
        m_pos = target;
        return m_line;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_line = 1;
};

std::optional<std::string_view> Attribute(const pugi::xml_node& node, const char* name) {
    const pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute) {
        return std::nullopt;
    }
    return std::string_view(attribute.value());
}

// True when a DOCTYPE's text (what follows "<!DOCTYPE") declares an internal
// subset: a "[" outside the quoted public and system identifiers.
bool HasInternalSubset(std::string_view doctype) {
    char quote = 0;
    for (const char c : doctype) {
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[') {
            return true;
        }
    }
    return false;
}

bool IsGame(const pugi::xml_node& node) {
    return std::strcmp(node.name(), "game") == 0 || std::strcmp(node.name(), "machine") == 0;
}

RawDatRom ReadRom(const pugi::xml_node& node, std::size_t line) {
    RawDatRom rom;
    rom.line = line;
    rom.name = Attribute(node, "name");
    rom.size = Attribute(node, "size");
    rom.crc = Attribute(node, "crc");
    rom.md5 = Attribute(node, "md5");
    rom.sha1 = Attribute(node, "sha1");
    rom.serial = Attribute(node, "serial");
    rom.status = Attribute(node, "status");
    return rom;
}

bool ReadGames(const pugi::xml_node& root, LineCounter& lines, CDatBuilder& builder) {
    std::vector<RawDatRom> roms;
    for (const pugi::xml_node& game : root.children()) {
        if (game.type() != pugi::node_element || !IsGame(game)) {
            continue;
        }
        const std::size_t line = lines.LineAt(game.offset_debug());
        roms.clear();
        for (const pugi::xml_node& rom : game.children("rom")) {
            roms.push_back(ReadRom(rom, lines.LineAt(rom.offset_debug())));
        }
        if (!builder.AddGame(Attribute(game, "name"), line, roms)) {
            return false;
        }
    }
    return true;
}

} // namespace

bool CDatXmlReader::Read(std::string_view text, CDatBuilder& builder) {
    LineCounter lines(text);
    pugi::xml_document document;
    // The document type is kept only to be looked at; pugixml never reads
    // anything it points to.
    const pugi::xml_parse_result parsed = document.load_buffer(
        text.data(), text.size(), pugi::parse_default | pugi::parse_doctype, pugi::encoding_utf8);
    if (parsed.status == pugi::status_out_of_memory) {
        return builder.Fail(0, "out of memory while reading the XML");
    }
    if (!parsed) {
        return builder.Fail(lines.LineAt(parsed.offset),
                            std::string("not well-formed XML: ") + parsed.description());
    }
    for (const pugi::xml_node& node : document.children()) {
        if (node.type() == pugi::node_doctype && HasInternalSubset(node.value())) {
            return builder.Fail(lines.LineAt(node.offset_debug()),
                                "not a DAT: its document type declares an internal subset "
                                "(entity declarations are never read)");
        }
    }
    const pugi::xml_node root = document.document_element();
    if (std::strcmp(root.name(), "datafile") != 0) {
        return builder.Fail(lines.LineAt(root.offset_debug()),
                            "not a Logiqx DAT: the root element is " +
                                QuoteForMessage(root.name()) + ", not \"datafile\"");
    }
    const pugi::xml_node header = root.child("header");
    if (header && !builder.SetHeader(header.child_value("name"), header.child_value("version"),
                                     header.child_value("description"),
                                     lines.LineAt(header.offset_debug()))) {
        return false;
    }
    return ReadGames(root, lines, builder);
}
