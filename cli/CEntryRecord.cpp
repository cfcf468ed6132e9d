// Packing and reading an entry's prepared values.
#include "CEntryRecord.h"

#include "CReportWriter.h"
#include "scan/CRomEntry.h"

#include <array>
#include <cstring>

namespace {

// First byte of a value: below kSourceMark its length, then the bytes;
// kSourceMark + source, or kConstantMark + constant, alone; kLongMark, then a
// four-byte length and the bytes.
constexpr unsigned char kSourceMark = 0xE0;
constexpr unsigned char kConstantMark = 0xF0;
constexpr unsigned char kLongMark = 0xFF;

// Values many entries share, whatever their name.
constexpr std::array<std::string_view, 5> kConstants = {"true", "false", "-", "N/A", "00h"};

std::string_view SourceText(CEntryRecord::Source source, const ReportedEntry& reported,
                            std::string& path) {
    const CRomEntry& entry = *reported.entry;
    switch (source) {
    case CEntryRecord::Source::DisplayName:
        return entry.GetDisplayName();
    case CEntryRecord::Source::Path:
        path = entry.GetPath();
        return path;
    case CEntryRecord::Source::FileName:
        return entry.m_strFileName;
    case CEntryRecord::Source::InnerName:
        return entry.m_strInnerName;
    case CEntryRecord::Source::Folder:
        return reported.Folder();
    case CEntryRecord::Source::None:
        break;
    }
    return {};
}

} // namespace

CEntryRecord::Source CEntryRecord::SourceOfKey(std::string_view key) {
    constexpr std::array<std::pair<std::string_view, Source>, 5> kKeys = {{
        {"display_name", Source::DisplayName},
        {"path", Source::Path},
        {"file_name", Source::FileName},
        {"inner_name", Source::InnerName},
        {"folder", Source::Folder},
    }};
    for (const auto& [name, source] : kKeys) {
        if (key == name) {
            return source;
        }
    }
    return Source::None;
}

void CEntryRecord::Append(std::string& record, std::string_view value, Source source,
                          const ReportedEntry& reported) {
    if (source != Source::None) {
        std::string path;
        if (value == SourceText(source, reported, path)) {
            record += static_cast<char>(kSourceMark + static_cast<unsigned char>(source));
            return;
        }
    }
    for (std::size_t i = 0; i < kConstants.size(); ++i) {
        if (value == kConstants[i]) {
            record += static_cast<char>(kConstantMark + i);
            return;
        }
    }
    if (value.size() < kSourceMark) {
        record += static_cast<char>(value.size());
    } else {
        record += static_cast<char>(kLongMark);
        const auto length = static_cast<std::uint32_t>(value.size());
        record.append(reinterpret_cast<const char*>(&length), sizeof length);
    }
    record += value;
}

std::string_view CEntryRecord::Reader::Next() {
    const auto mark = static_cast<unsigned char>(*m_pNext++);
    if (mark < kSourceMark) {
        const std::string_view value(m_pNext, mark);
        m_pNext += mark;
        return value;
    }
    if (mark == kLongMark) {
        std::uint32_t length = 0;
        std::memcpy(&length, m_pNext, sizeof length);
        const std::string_view value(m_pNext + sizeof length, length);
        m_pNext += sizeof length + length;
        return value;
    }
    if (mark >= kConstantMark) {
        return kConstants.at(mark - kConstantMark);
    }
    return SourceText(static_cast<Source>(mark - kSourceMark), m_reported, m_path);
}
