// The browser fallback's command: placeholder rule and Exec= splitting.
#include "LinkFallback.h"

#include <string_view>
#include <utility>

namespace {

constexpr std::string_view kQuotedPlaceholder = "\"%1\"";

// Field codes that the desktop's launcher replaces with something we don't
// provide (icon, name, location, deprecated codes) or with the link itself;
// "1" is a placeholder left before the one the command was cut at.
constexpr std::string_view kDroppedFieldCodes = "fFuUdDnNickvm1";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsQuotedEscape(char c) {
    return c == '"' || c == '`' || c == '$' || c == '\\';
}

// Position of the first %1 whose percent sign is not the second half of "%%".
std::size_t FindBarePlaceholder(std::string_view text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '%') {
            continue;
        }
        if (text[i + 1] == '%') {
            ++i;
        } else if (text[i + 1] == '1') {
            return i;
        }
    }
    return std::string_view::npos;
}

// The part of the template that stays in front of the appended target.
std::string_view KeptCommandText(std::string_view commandTemplate) {
    if (const auto quoted = commandTemplate.find(kQuotedPlaceholder);
        quoted != std::string_view::npos) {
        return commandTemplate.substr(0, quoted);
    }
    if (const auto bare = FindBarePlaceholder(commandTemplate); bare != std::string_view::npos) {
        return commandTemplate.substr(0, bare);
    }
    return commandTemplate;
}

// Collects one argument at a time while SplitExecArguments walks the text.
class ArgumentCollector {
public:
    void Append(char c) {
        m_current += c;
        m_bStarted = true;
    }
    // An opening quote starts an argument even if it stays empty ("").
    void StartQuoted() { m_bStarted = true; }
    void Finish() {
        if (m_bStarted) {
            m_arguments.push_back(std::move(m_current));
        }
        m_current.clear();
        m_bStarted = false;
    }
    std::vector<std::string> Take() { return std::move(m_arguments); }

private:
    std::vector<std::string> m_arguments;
    std::string m_current;
    bool m_bStarted = false;
};

// Handles a percent sign at `i`; returns how many characters it used.
std::size_t TakeFieldCode(std::string_view text, std::size_t i, ArgumentCollector& collector) {
    if (i + 1 >= text.size()) {
        collector.Append('%');
        return 1;
    }
    const char code = text[i + 1];
    if (code == '%') {
        collector.Append('%');
    } else if (kDroppedFieldCodes.find(code) == std::string_view::npos) {
        // Not a field code: the percent sign is an ordinary character.
        collector.Append('%');
        return 1;
    }
    return 2;
}

} // namespace

std::string ExecToCommandTemplate(std::string_view exec) {
    std::string commandTemplate;
    commandTemplate.reserve(exec.size());
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        const char next = i + 1 < exec.size() ? exec[i + 1] : '\0';
        if (c == '%' && next == '%') {
            commandTemplate += "%%";
            ++i;
        } else if (c == '%' && (next == 'u' || next == 'U' || next == 'f' || next == 'F')) {
            commandTemplate += "%1";
            ++i;
        } else {
            commandTemplate += c;
        }
    }
    return commandTemplate;
}

std::optional<std::string> BuildFallbackCommandLine(std::string_view commandTemplate,
                                                    std::string_view target) {
    std::string commandLine(KeptCommandText(commandTemplate));
    commandLine += ' ';
    commandLine += target;
    if (commandLine.size() + 1 > kCommandLineBufferSize) {
        return std::nullopt;
    }
    return commandLine;
}

std::optional<std::vector<std::string>> BuildFallbackArguments(std::string_view commandTemplate,
                                                               std::string_view target) {
    auto arguments = SplitExecArguments(KeptCommandText(commandTemplate));
    if (!arguments || arguments->empty()) {
        return std::nullopt;
    }
    arguments->emplace_back(target);
    return arguments;
}

std::optional<std::vector<std::string>> SplitExecArguments(std::string_view text) {
    ArgumentCollector collector;
    bool inQuotes = false;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '%') {
            i += TakeFieldCode(text, i, collector);
        } else if (inQuotes) {
            if (c == '"') {
                inQuotes = false;
            } else if (c == '\\' && i + 1 < text.size() && IsQuotedEscape(text[i + 1])) {
                collector.Append(text[++i]);
            } else {
                collector.Append(c);
            }
            ++i;
        } else {
            if (IsBlank(c)) {
                collector.Finish();
            } else if (c == '"') {
                inQuotes = true;
                collector.StartQuoted();
            } else {
                collector.Append(c);
            }
            ++i;
        }
    }
    if (inQuotes) {
        return std::nullopt;
    }
    collector.Finish();
    return collector.Take();
}
