// Reading and writing the settings file.
#include "CProfileIni.h"

#include "romio/AsciiCase.h"
#include "romio/CFileSystem.h"

#include <algorithm>
#include <utility>

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool IsQuoted(std::string_view value) {
    return value.size() >= 2 && value.front() == '"' && value.back() == '"';
}

// A value as it is written: quoted when reading would otherwise change it
// (blanks at either end, or quotes of its own at both ends).
std::string WrittenValue(std::string_view value) {
    std::string written;
    const bool quote = IsQuoted(value) || Trimmed(value).size() != value.size();
    written.reserve(value.size() + 2);
    if (quote) {
        written += '"';
    }
    written += value;
    if (quote) {
        written += '"';
    }
    return written;
}

} // namespace

CProfileIni::CProfileIni(std::string path) : m_strPath(std::move(path)) {}

std::string CProfileIni::DefaultPath() {
    return CFileSystem::UserSettingsFolder() + CFileSystem::kSeparator + "quillbey.ini";
}

bool CProfileIni::Read() {
    m_lines.clear();
    const std::optional<std::string> content = CFileSystem::ReadSmallFile(m_strPath, kMaxFileSize);
    if (!content || content->find('\0') != std::string::npos) {
        return false; // missing, unreadable, oversized or binary: no settings
    }
    std::string section;
    std::size_t start = 0;
    while (start < content->size()) {
        const std::string_view rest = std::string_view(*content).substr(start);
        const std::size_t newline = rest.find('\n');
        std::string_view text = rest.substr(0, newline);
        start += newline == std::string_view::npos ? rest.size() : newline + 1;
        Line line;
        if (newline != std::string_view::npos) {
            const bool crlf = text.ends_with('\r');
            line.end = crlf ? "\r\n" : "\n";
            text.remove_suffix(crlf ? 1 : 0);
        }
        line.text = text;
        const std::string_view trimmed = Trimmed(line.text);
        const auto equals = line.text.find('=');
        if (trimmed.starts_with('[') && trimmed.find(']') != std::string_view::npos) {
            line.isHeader = true;
            section = Trimmed(trimmed.substr(1, trimmed.find(']') - 1));
        } else if (equals != std::string::npos) {
            line.key = Trimmed(std::string_view(line.text).substr(0, equals));
            line.valueStart = line.text.find_first_not_of(kBlanks, equals + 1);
            line.valueStart = std::min(line.valueStart, line.text.size());
        }
        line.section = section;
        m_lines.push_back(std::move(line));
    }
    return true;
}

const CProfileIni::Line* CProfileIni::FindKey(std::string_view section,
                                              std::string_view key) const {
    const auto found = std::find_if(m_lines.begin(), m_lines.end(), [&](const Line& line) {
        return !line.key.empty() && EqualsIgnoringAsciiCase(line.section, section) &&
               EqualsIgnoringAsciiCase(line.key, key);
    });
    return found == m_lines.end() ? nullptr : &*found;
}

CProfileIni::Line* CProfileIni::FindKey(std::string_view section, std::string_view key) {
    return const_cast<Line*>(std::as_const(*this).FindKey(section, key));
}

std::optional<std::string> CProfileIni::GetString(std::string_view section,
                                                  std::string_view key) const {
    const Line* line = FindKey(section, key);
    if (line == nullptr) {
        return std::nullopt;
    }
    std::string_view value = Trimmed(std::string_view(line->text).substr(line->valueStart));
    if (IsQuoted(value)) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

std::string CProfileIni::LineEnd() const {
    const auto withEnd = std::find_if(m_lines.begin(), m_lines.end(),
                                      [](const Line& line) { return !line.end.empty(); });
    return withEnd == m_lines.end() ? "\n" : withEnd->end;
}

void CProfileIni::SetString(std::string_view section, std::string_view key,
                            std::string_view value) {
    // A value can't span lines; cut it at a line break rather than corrupt the file.
    value = value.substr(0, value.find_first_of("\r\n"));
    if (Line* line = FindKey(section, key)) {
        line->text.replace(line->valueStart, std::string::npos, WrittenValue(value));
        return;
    }
    const std::string end = LineEnd();
    Line added{std::string(key) + "=" + WrittenValue(value),
               end,
               std::string(section),
               std::string(key),
               key.size() + 1,
               false};
    // After the last header or key of its section, or as a new section at the end.
    auto last = m_lines.end();
    for (auto it = m_lines.begin(); it != m_lines.end(); ++it) {
        if ((it->isHeader || !it->key.empty()) && EqualsIgnoringAsciiCase(it->section, section)) {
            last = it;
        }
    }
    if (last == m_lines.end()) {
        if (!m_lines.empty() && m_lines.back().end.empty()) {
            m_lines.back().end = end; // the file ended without a line end
        }
        m_lines.push_back(
            {std::string("[").append(section).append("]"), end, std::string(section), "", 0, true});
        m_lines.push_back(std::move(added));
        return;
    }
    if (last->end.empty()) {
        last->end = end;
    }
    m_lines.insert(last + 1, std::move(added));
}

int CProfileIni::Write() const {
    std::string content;
    for (const Line& line : m_lines) {
        content += line.text;
        content += line.end;
    }
    return CFileSystem::WriteFileAtomically(m_strPath, content);
}
