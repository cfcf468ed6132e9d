// Loading a DAT: the file or ZIP entry within the size limit, its form told
// from its first characters, and the reader for that form.
#include "CDatFile.h"

#include "CDatBuilder.h"
#include "CDatTextReader.h"
#include "CDatXmlReader.h"
#include "romio/CFileSystem.h"
#include "romio/CRegularFile.h"
#include "romio/CZipReader.h"

#include <array>
#include <new>

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::array<std::string_view, 2> kDatExtensions{"dat", "xml"};

std::string SizeLimitText(std::size_t maxBytes) {
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    if (maxBytes >= kMiB && maxBytes % kMiB == 0) {
        return std::to_string(maxBytes / kMiB) + " MiB";
    }
    return std::to_string(maxBytes) + " bytes";
}

std::string TooLargeReason(std::size_t maxBytes) {
    return "larger than " + SizeLimitText(maxBytes) + ", more than a DAT ever needs";
}

bool StartsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

// A ZIP archive starts with a local file header, or, when empty, with the
// end of its central directory.
constexpr std::string_view kZipEntryStart = "PK\x03\x04";
constexpr std::string_view kEmptyZipStart = "PK\x05\x06";

DatLoadResult Refused(std::string file, std::string reason) {
    DatLoadResult result;
    result.error = {std::move(file), 0, std::move(reason)};
    return result;
}

DatLoadResult LoadZipped(const std::string& path, std::size_t maxBytes, bool looksEmpty) {
    auto entry = CZipReader::ReadFirstEntryWithExtension(path, kDatExtensions, maxBytes);
    const std::string inEntry = path + " (" + entry.name + ")";
    switch (entry.failure) {
    case CZipReader::WholeEntryFailure::None:
        break;
    case CZipReader::WholeEntryFailure::Unopened:
        return Refused(path, CFileSystem::FileErrorText(entry.fileError));
    case CZipReader::WholeEntryFailure::NotZip:
        // minizip opens no archive without entries.
        return Refused(path, looksEmpty ? "an empty ZIP archive"
                                        : "starts like a ZIP archive but cannot be read as one");
    case CZipReader::WholeEntryFailure::NoEntry:
        return Refused(path, "a ZIP archive without a .dat or .xml entry");
    case CZipReader::WholeEntryFailure::TooLarge:
        return Refused(inEntry, TooLargeReason(maxBytes));
    case CZipReader::WholeEntryFailure::Damaged:
        return Refused(inEntry, "damaged in the archive: its data does not unpack whole");
    }
    auto result = CDatFile::Parse(entry.bytes, path);
    if (!result.dat) {
        result.error.file = inEntry;
    }
    return result;
}

// Reads the form `form` (Detect resolved) from `text`, its byte order mark removed.
bool ReadForm(std::string_view text, DatForm form, CDatBuilder& builder) {
    if (form == DatForm::Detect) {
        const auto first = text.find_first_not_of(" \t\r\n");
        if (first == std::string_view::npos) {
            return builder.Fail(0, "empty file");
        }
        form = text[first] == '<' ? DatForm::Xml : DatForm::Text;
    }
    return form == DatForm::Xml ? CDatXmlReader::Read(text, builder)
                                : CDatTextReader::Read(text, builder);
}

} // namespace

std::string DatError::Text() const {
    return line == 0 ? file + ": " + reason
                     : file + ": line " + std::to_string(line) + ": " + reason;
}

DatLoadResult CDatFile::Load(const std::string& path, std::size_t maxBytes) {
    FileError error;
    const auto file = CRegularFile::Open(path, &error);
    if (!file) {
        return Refused(path, CFileSystem::FileErrorText(error));
    }
    std::array<std::uint8_t, 4> start{};
    const std::string_view startText(reinterpret_cast<const char*>(start.data()),
                                     file->ReadAt(0, start));
    if (startText == kZipEntryStart || startText == kEmptyZipStart) {
        return LoadZipped(path, maxBytes, startText == kEmptyZipStart);
    }
    if (file->Size() > maxBytes) {
        return Refused(path, TooLargeReason(maxBytes));
    }
    std::string text(static_cast<std::size_t>(file->Size()), '\0');
    bool failed = false;
    text.resize(file->ReadAt(
        0, std::span(reinterpret_cast<std::uint8_t*>(text.data()), text.size()), &failed));
    if (failed) {
        return Refused(path, "cannot be read to its end");
    }
    return Parse(text, path);
}

DatLoadResult CDatFile::Parse(std::string_view text, const std::string& sourcePath, DatForm form) {
    if (StartsWith(text, kUtf8Bom)) {
        text.remove_prefix(kUtf8Bom.size());
    }
    if (StartsWith(text, "\xFF\xFE") || StartsWith(text, "\xFE\xFF")) {
        return Refused(sourcePath, "UTF-16 text; a DAT is read as UTF-8");
    }
    try {
        CDatBuilder builder(sourcePath);
        ReadForm(text, form, builder);
        return builder.Finish(sourcePath);
    } catch (const std::bad_alloc&) {
        return Refused(sourcePath, "out of memory while reading it");
    }
}
