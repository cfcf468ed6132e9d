// Hashes every image of a folder whole with CBatchHasher, for comparing
// whole-image hashing with its floor (qb_scan_floor_direct -w) in
// bench/hash-run. Prints one line per image hashed, in listing order: the
// CRC-32 in hex and the name, as the floor does for plain files (for an
// archive the entry's name), so that the two outputs can be compared; with
// --digests the SHA-1 and MD5 follow, with --backup the save type.
//
// Usage: qb_hash_folder [-j N] [--digests] [--backup] FOLDER
#include "romio/CBatchHasher.h"
#include "romio/CFileSystem.h"
#include "romio/CGbaRomLoader.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Arguments {
    int jobs = 0;
    bool digests = false;
    bool backup = false;
    std::string folder;
};

std::optional<Arguments> ParseArguments(int argc, char** argv) {
    Arguments arguments;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "-j" && i + 1 < argc) {
            const std::string_view count = argv[++i];
            const auto parsed =
                std::from_chars(count.data(), count.data() + count.size(), arguments.jobs);
            if (parsed.ec != std::errc() || parsed.ptr != count.data() + count.size() ||
                arguments.jobs < 1) {
                return std::nullopt;
            }
        } else if (argument == "--digests") {
            arguments.digests = true;
        } else if (argument == "--backup") {
            arguments.backup = true;
        } else if (arguments.folder.empty() && !argument.starts_with("-")) {
            arguments.folder = argument;
        } else {
            return std::nullopt;
        }
    }
    if (arguments.folder.empty()) {
        return std::nullopt;
    }
    return arguments;
}

// The folder's images (names with an extension the loader accepts), in
// listing order.
std::vector<HashJob> ListImages(const std::string& folder, std::vector<std::string>& names) {
    const CGbaRomLoader loader;
    std::vector<HashJob> jobs;
    CFileSystem::ListFolder(folder, [&](std::string_view name, ListedKind kind) {
        if (kind == ListedKind::Folder) {
            return;
        }
        for (int slot = 0; slot < loader.GetExtensionCount(); ++slot) {
            if (CRomLoader::HasExtension(name, loader.GetExtensionAt(slot))) {
                names.emplace_back(name);
                jobs.push_back({folder + CFileSystem::kSeparator + std::string(name)});
                return;
            }
        }
    });
    return jobs;
}

} // namespace

int main(int argc, char** argv) {
    const auto arguments = ParseArguments(argc, argv);
    if (!arguments) {
        std::fputs("usage: qb_hash_folder [-j N] [--digests] [--backup] FOLDER\n", stderr);
        return 2;
    }
    std::vector<std::string> names;
    std::vector<HashJob> jobs = ListImages(arguments->folder, names);
    std::vector<std::optional<HashResult>> results(jobs.size());
    CBatchHasher batch(
        std::move(jobs), {.hash = {.bDigests = arguments->digests}, .nThreads = arguments->jobs},
        [&](std::size_t index, const HashResult& result) { results[index] = result; });
    if (!batch.Start()) {
        std::fputs("qb_hash_folder: cannot start a thread\n", stderr);
        return 1;
    }
    while (!batch.WaitUntilDone(std::chrono::hours(1))) {
    }

    std::string out;
    char crc[16];
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (!results[i] || !results[i]->Succeeded()) {
            continue;
        }
        const ImageHashes& hashes = results[i]->hashes;
        std::snprintf(crc, sizeof crc, "%08x ", static_cast<unsigned>(hashes.crc32));
        out += crc;
        out += hashes.innerName.empty() ? names[i] : hashes.innerName;
        if (hashes.sha1 && hashes.md5) {
            out += ' ';
            out += HexDigits(*hashes.sha1);
            out += ' ';
            out += HexDigits(*hashes.md5);
        }
        if (arguments->backup) {
            out += ' ';
            out += hashes.backupType.empty() ? std::string_view("-") : hashes.backupType;
        }
        out += '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
