// libFuzzer target for the loader: the input (after its first byte, which
// picks offset and length) is written once as x.zip and once as x.gba and
// loaded from there; a successful load is turned into an entry the way the
// scan does it, and decoded and formatted the way the details panel does.
#include "FuzzChecks.h"
#include "FuzzInputLayout.h"
#include "romio/CGbaRomLoader.h"
#include "scan/CReadROMs.h"
#include "scan/CRomEntry.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <span>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::uint8_t kUntouched = 0xCC;

// A folder of this process's own, made once and reused for every input.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = BaseFolder() + "/quillbey-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("fuzz_loader: mkdtemp");
            std::abort();
        }
        m_path = pattern;
    }
    ~ScratchFolder() {
        for (const char* name : {"x.zip", "x.gba"}) {
            ::unlink((m_path + "/" + name).c_str());
        }
        ::rmdir(m_path.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Replaces the file `name` with `bytes`; returns its path.
    std::string Write(const char* name, std::span<const std::uint8_t> bytes) const {
        const std::string path = m_path + "/" + name;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) {
            std::perror("fuzz_loader: open");
            std::abort();
        }
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (wrote <= 0) {
                std::perror("fuzz_loader: write");
                std::abort();
            }
            done += static_cast<std::size_t>(wrote);
        }
        ::close(fd);
        return path;
    }

private:
    // QB_FUZZ_SCRATCH names the parent when set (run-smoke uses it to clean up
    // after a crash); otherwise memory-backed /dev/shm keeps the disk out of
    // the loop when it can be used.
    static std::string BaseFolder() {
        const char* chosen = std::getenv("QB_FUZZ_SCRATCH");
        if (chosen != nullptr && *chosen != '\0') {
            return chosen;
        }
        if (::access("/dev/shm", W_OK | X_OK) == 0) {
            return "/dev/shm";
        }
        const char* tmp = std::getenv("TMPDIR");
        return (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
    }

    std::string m_path;
};

bool AllUntouched(std::span<const std::uint8_t> buffer) {
    return std::all_of(buffer.begin(), buffer.end(), [](auto b) { return b == kUntouched; });
}

bool IsAcceptedImageName(const std::string& name) {
    const std::string ext = CRomLoader::GetExtension(name);
    return ext == "BIN" || ext == "GBA" || ext == "AGB";
}

// A plain file always loads unless the request cannot fit the buffer.
bool PlainLoadMustSucceed(const fuzz_layout::LoadRequest& request, std::size_t fileSize) {
    if (request.length != 0) {
        return true;
    }
    const std::size_t rest = fileSize > request.offset ? fileSize - request.offset : 0;
    return rest <= request.bufferSize;
}

// How many bytes a successful load delivered into the buffer.
std::size_t DeliveredLength(const CRomLoader& loader, const fuzz_layout::LoadRequest& request) {
    if (request.length != 0) {
        return request.length;
    }
    const std::uint64_t size = loader.GetSize();
    return size > request.offset ? static_cast<std::size_t>(size - request.offset) : 0;
}

void CheckPlainRecord(const CRomLoader& loader, const fuzz_layout::LoadRequest& request,
                      std::span<const std::uint8_t> file, std::span<const std::uint8_t> delivered) {
    QB_FUZZ_REQUIRE(loader.GetFileName() == "x.gba");
    QB_FUZZ_REQUIRE(loader.GetInnerName().empty());
    QB_FUZZ_REQUIRE(loader.GetCrc32() == 0);
    QB_FUZZ_REQUIRE(loader.GetSize() == file.size());
    for (std::size_t i = 0; i < delivered.size(); ++i) {
        const std::size_t at = request.offset + i;
        QB_FUZZ_REQUIRE(delivered[i] == (at < file.size() ? file[at] : 0));
    }
}

void LoadAndDecode(const std::string& path, bool archive, const fuzz_layout::LoadRequest& request,
                   std::span<const std::uint8_t> file) {
    std::vector<std::uint8_t> buffer(request.bufferSize, kUntouched);
    CGbaRomLoader loader;
    if (loader.Load(path, request.offset, request.length, buffer) != 0) {
        // A failed load writes nothing, neither the buffer nor the record.
        QB_FUZZ_REQUIRE(AllUntouched(buffer));
        QB_FUZZ_REQUIRE(loader.GetFileName().empty());
        QB_FUZZ_REQUIRE(archive || !PlainLoadMustSucceed(request, file.size()));
        return;
    }
    const std::size_t length = DeliveredLength(loader, request);
    QB_FUZZ_REQUIRE(length <= buffer.size());
    const auto delivered = std::span<const std::uint8_t>(buffer).first(length);
    QB_FUZZ_REQUIRE(AllUntouched(std::span<const std::uint8_t>(buffer).subspan(length)));
    if (archive) {
        QB_FUZZ_REQUIRE(loader.GetFileName() == "x.zip");
        QB_FUZZ_REQUIRE(IsAcceptedImageName(loader.GetInnerName()));
    } else {
        CheckPlainRecord(loader, request, file, delivered);
    }

    // The header as the scan would hold it; a shorter stretch is zero padded.
    CartridgeHeader header{};
    std::copy_n(delivered.begin(), std::min(delivered.size(), header.size()), header.begin());
    fuzz_checks::CheckDecoders(loader, header);
    const auto entry = CReadROMs::MakeEntry(loader, header, path);
    QB_FUZZ_REQUIRE(((entry->m_dwFlags & ROMF_LOGO_ERROR) != 0) == !loader.CheckLogo(header));
    QB_FUZZ_REQUIRE(((entry->m_dwFlags & ROMF_COMPLEMENT_ERROR) != 0) ==
                    (loader.CalcComplement(header) != loader.GetComplement(header)));
    QB_FUZZ_REQUIRE(entry->m_dwSize == loader.GetSize());
    QB_FUZZ_REQUIRE(entry->m_dwCrc32 == loader.GetCrc32());
    fuzz_checks::CheckEntryDetails(*entry);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ScratchFolder folder;
    const std::span<const std::uint8_t> input(data, size);
    const fuzz_layout::LoadRequest request =
        fuzz_layout::DecodeLoadRequest(input.empty() ? fuzz_layout::kScanLoad : input[0]);
    const auto file = input.empty() ? input : input.subspan(1);

    fuzz_checks::CheckExtension(std::string(input.begin(), input.end()));
    LoadAndDecode(folder.Write("x.zip", file), true, request, file);
    LoadAndDecode(folder.Write("x.gba", file), false, request, file);
    return 0;
}
