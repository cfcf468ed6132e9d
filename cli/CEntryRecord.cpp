// Packing and reading an entry's prepared values.
#include "CEntryRecord.h"

#include "CReportWriter.h"
#include "CValueDictionary.h"
#include "scan/CRomEntry.h"

#include <array>
#include <charconv>
#include <cstring>

namespace {

// First byte of a value: below kSourceMark its length, then the bytes;
// kSourceMark + source, or kConstantMark + constant, alone; kSharedMark plus
// the high bits of a dictionary reference, then its low byte; kLongMark, then
// a four-byte length and the bytes.
constexpr unsigned char kSourceMark = 0xE0;
constexpr unsigned char kSharedMark = 0xE8;
static_assert(CValueDictionary::kCapacity <= 8 << 8);
constexpr unsigned char kConstantMark = 0xF0;
constexpr unsigned char kLongMark = 0xFF;

// Values many entries share, whatever their name.
constexpr std::array<std::string_view, 5> kConstants = {"true", "false", "-", "N/A", "00h"};
constexpr std::size_t kLongestConstant = 5;

// `text` holds what is made for the value.
std::string_view SourceText(CEntryRecord::Source source, const ReportedEntry& reported,
                            std::string& text) {
    const CRomEntry& entry = *reported.entry;
    switch (source) {
    case CEntryRecord::Source::Index: {
        std::array<char, 24> digits{};
        const auto result =
            std::to_chars(digits.data(), digits.data() + digits.size(), reported.index);
        text.assign(digits.data(), result.ptr);
        return text;
    }
    case CEntryRecord::Source::DisplayName:
        return entry.GetDisplayName();
    case CEntryRecord::Source::Path:
        text = entry.GetFolderPrefix();
        text += entry.m_strFileName;
        return text;
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

// Whether `value` is the source's text exactly (made without a copy).
bool IsSourceText(std::string_view value, CEntryRecord::Source source,
                  const ReportedEntry& reported) {
    if (source != CEntryRecord::Source::Path) {
        std::string unused;
        return value == SourceText(source, reported, unused);
    }
    const std::string_view folder = reported.entry->GetFolderPrefix();
    const std::string_view name = reported.entry->m_strFileName;
    return value.size() == folder.size() + name.size() && value.starts_with(folder) &&
           value.ends_with(name);
}

} // namespace

CEntryRecord::Source CEntryRecord::SourceOfKey(std::string_view key) {
    // By length first: every value of every entry asks.
    const auto is = [key](std::string_view name) { return key == name; };
    switch (key.size()) {
    case 4:
        return is("path") ? Source::Path : Source::None;
    case 5:
        return is("index") ? Source::Index : Source::None;
    case 6:
        return is("folder") ? Source::Folder : Source::None;
    case 9:
        return is("file_name") ? Source::FileName : Source::None;
    case 10:
        return is("inner_name") ? Source::InnerName : Source::None;
    case 12:
        return is("display_name") ? Source::DisplayName : Source::None;
    default:
        return Source::None;
    }
}

void CEntryRecord::Append(std::string& record, std::string_view value, Source source,
                          const ReportedEntry& reported, CValueDictionary& shared) {
    if (source == Source::Index ||
        (source != Source::None && IsSourceText(value, source, reported))) {
        record += static_cast<char>(kSourceMark + static_cast<unsigned char>(source));
        return;
    }
    if (value.size() <= kLongestConstant) {
        for (std::size_t i = 0; i < kConstants.size(); ++i) {
            if (value == kConstants[i]) {
                record += static_cast<char>(kConstantMark + i);
                return;
            }
        }
    }
    if (const auto reference = shared.Find(value)) {
        record += static_cast<char>(kSharedMark + (*reference >> 8));
        record += static_cast<char>(*reference & 0xFF);
        return;
    }
    if (value.size() < kSourceMark) {
        const std::size_t at = record.size();
        record.resize(at + 1 + value.size());
        record[at] = static_cast<char>(value.size());
        std::memcpy(record.data() + at + 1, value.data(), value.size());
        return;
    }
    record += static_cast<char>(kLongMark);
    const auto length = static_cast<std::uint32_t>(value.size());
    record.append(reinterpret_cast<const char*>(&length), sizeof length);
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
    if (mark >= kSharedMark) {
        const auto low = static_cast<unsigned char>(*m_pNext++);
        return m_shared.At(static_cast<std::uint16_t>((mark - kSharedMark) << 8 | low));
    }
    return SourceText(static_cast<Source>(mark - kSourceMark), m_reported, m_text);
}

// Seven bits a byte, the last byte without its high bit: a width takes one.
void CEntryRecord::AppendCount(std::string& record, std::size_t count) {
    while (count >= 0x80) {
        record += static_cast<char>(0x80 | (count & 0x7F));
        count >>= 7;
    }
    record += static_cast<char>(count);
}

std::size_t CEntryRecord::Reader::NextCount() {
    std::size_t count = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*m_pNext++);
        count |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) {
            return count;
        }
    }
}
