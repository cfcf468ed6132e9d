// Building the command that opens a link with the desktop's web browser when
// the normal way of opening it fails.
//
// The browser's command template is a command line in the style of a desktop
// entry's Exec= value with "%1" where the link goes. The link is never put
// inside the template: the template is cut at its placeholder and the link is
// appended, and the command is run from an argument vector in which the link
// is always exactly one argument, so that no link can add a command or an
// option of its own making.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Size limit of the fallback command line, its terminating zero included.
constexpr std::size_t kCommandLineBufferSize = 520;

// A desktop entry's Exec= value as a command template: the field codes that
// stand for the file or URL (%u, %U, %f, %F) become "%1"; everything else,
// "%%" and the other field codes included, is left for SplitExecArguments.
std::string ExecToCommandTemplate(std::string_view exec);

// The fallback command line: the template cut before a double-quoted "%1"
// (at its opening quote), else before a bare %1, else kept whole, followed by
// a blank and the target. nullopt when the line with its terminating zero
// would not fit into kCommandLineBufferSize bytes.
std::optional<std::string> BuildFallbackCommandLine(std::string_view commandTemplate,
                                                    std::string_view target);

// The same command as an argument vector: the part of the template kept by
// BuildFallbackCommandLine split by SplitExecArguments, then the target, whole,
// as the last argument. nullopt when the kept part is malformed or names no
// program (running the target itself as the program must never happen).
std::optional<std::vector<std::string>> BuildFallbackArguments(std::string_view commandTemplate,
                                                               std::string_view target);

// Splits Exec=-style text into arguments: blanks separate arguments, double
// quotes group (inside them \" \` \$ \\ stand for the escaped character),
// "%%" is a percent sign and other field codes are dropped (an argument made
// only of field codes disappears). nullopt for an unterminated quote.
std::optional<std::vector<std::string>> SplitExecArguments(std::string_view text);
