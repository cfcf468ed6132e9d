// Hostile folders through quillbey-cli: special files under image names,
// sizes at the edges, names no terminal or JSON writer likes, and a folder of
// 100,000 names. Each case states the exact rows the scan must give.
#include "HostileScanTest.h"
#include "tests/support/HeaderBuilder.h"
#include "tests/support/ZipBuilder.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#ifdef _WIN32
#include "tests/support/CLockedFile.h"
#else
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using namespace testing_support;
using ::testing::ElementsAreArray;

namespace {

constexpr std::uint64_t kFiveGiB = 5ULL << 30;

std::vector<std::uint8_t> Image(const std::string& title, std::size_t size = 512) {
    return BuildImage(BuildHeader({.title = title}), size);
}

#ifndef _WIN32 // FIFOs and sockets are made with POSIX calls
void MakeFifo(const std::string& path) {
    if (::mkfifo(path.c_str(), 0600) != 0) {
        throw std::runtime_error("cannot make FIFO " + path);
    }
}

// A bound UNIX socket leaves its name in the folder after the socket is closed.
void MakeSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) {
        throw std::runtime_error("socket path too long: " + path);
    }
    std::copy(path.begin(), path.end(), address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound =
        fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    if (!bound) {
        throw std::runtime_error("cannot bind socket " + path);
    }
}

#endif

void MakeEmptyFile(const std::string& path) {
    if (!std::ofstream(NativePath(path), std::ios::binary)) {
        throw std::runtime_error("cannot create " + path);
    }
}

// A file of `size` bytes whose first bytes are `start` and whose rest is a hole.
void MakeSparseFile(const TempDir& dir, const std::string& name,
                    const std::vector<std::uint8_t>& start, std::uint64_t size) {
    std::filesystem::resize_file(NativePath(dir.WriteFile(name, start)), size);
}

// A row the scan must give, with its display name's raw bytes, by which the
// rows are sorted.
struct ExpectedRow {
    std::string rawName;
    ScannedRow row;
};

// The order of the rows: ASCII letters folded to upper case, then unsigned
// bytes; equal names keep their scan order (stable sort).
bool SortsBefore(const std::string& a, const std::string& b) {
    const auto fold = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte >= 'a' && byte <= 'z') ? static_cast<unsigned char>(byte - 32) : byte;
    };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char x, char y) { return fold(x) < fold(y); });
}

// The rows of `parts`, in the order the scan must list them.
std::vector<ScannedRow> Sorted(std::initializer_list<std::vector<ExpectedRow>> parts) {
    std::vector<ExpectedRow> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    std::stable_sort(all.begin(), all.end(), [](const ExpectedRow& a, const ExpectedRow& b) {
        return SortsBefore(a.rawName, b.rawName);
    });
    std::vector<ScannedRow> rows;
    for (const ExpectedRow& item : all) {
        rows.push_back(item.row);
    }
    return rows;
}

// What AddSpecialFiles made: the row of the folder's one real image, and
// what must stay held while the folder is scanned.
struct SpecialFiles {
    std::vector<ExpectedRow> rows;
    std::vector<std::shared_ptr<void>> held;
};

#ifdef _WIN32
// Names Windows reads as devices (made by their exact \\?\ names), folders,
// and an image another program holds locked: none may give a row or stall
// the scan.
SpecialFiles AddSpecialFiles(const TempDir& dir) {
    for (const char* device :
         {"CON.gba", "nul.zip", "COM1.bin", "lpt1.agb", "Aux .gba", "PRN.zip."}) {
        dir.WriteFile(device, Image("DEVICE"));
    }
    dir.MakeSubdir("folder.gba");
    dir.MakeSubdir("folder.zip");
    dir.WriteFile("held.agb", Image("HELD"));
    dir.WriteFile("real.gba", Image("REAL"));
    return {{{"real.gba", SoundRow("real.gba", "", 512, 0, "REAL")}},
            {std::make_shared<CLockedFile>(dir / "held.agb")}};
}
#else
// Special files named as images and archives: none may give a row or stall
// the scan.
SpecialFiles AddSpecialFiles(const TempDir& dir) {
    namespace fs = std::filesystem;
    MakeFifo(dir / "fifo.gba");
    MakeFifo(dir / "fifo.zip");
    MakeSocket(dir / "socket.gba");
    MakeSocket(dir / "socket.zip");
    dir.MakeSubdir("folder.gba");
    dir.MakeSubdir("folder.zip");
    fs::create_symlink(dir / "missing.gba", dir / "dangling.agb");
    fs::create_symlink(dir / "missing.zip", dir / "dangling.zip");
    fs::create_symlink(dir / "loop-b.gba", dir / "loop-a.gba");
    fs::create_symlink(dir / "loop-a.gba", dir / "loop-b.gba");
    fs::create_symlink(dir / "self.bin", dir / "self.bin");
    fs::create_symlink("/dev/zero", dir / "zero.gba");
    fs::create_symlink("/dev/zero", dir / "zero.zip");
    fs::create_symlink("/dev/urandom", dir / "random.bin");
    fs::create_symlink("/dev/urandom", dir / "random.zip");
    fs::create_symlink(dir / "fifo.gba", dir / "to-fifo.agb");
    fs::create_directory_symlink(dir / "folder.gba", dir / "to-folder.bin");
    dir.WriteFile("real.gba", Image("REAL"));
    return {{{"real.gba", SoundRow("real.gba", "", 512, 0, "REAL")}}, {}};
}
#endif

// Sizes at the edges: a sparse 5 GiB image, and images of 0 and 1 bytes.
std::vector<ExpectedRow> AddSizeCases(const TempDir& dir) {
    MakeSparseFile(dir, "sparse.bin", Image("SPARSE"), kFiveGiB);
    MakeEmptyFile(dir / "empty.gba");
    dir.WriteFile("one.gba", std::vector<std::uint8_t>{0x2E});
    return {{"empty.gba", ZeroRow("empty.gba", "", 0, 0)},
            {"one.gba", ZeroRow("one.gba", "", 1, 0)},
            {"sparse.bin", SoundRow("sparse.bin", "", kFiveGiB, 0, "SPARSE")}};
}

struct OddName {
    std::string raw;     // the name's bytes on disk or in the archive
    std::string decoded; // how the JSON must read: as is when UTF-8, else Windows-1252
};

// Names with line breaks, quotes, backslashes, control bytes, and bytes that
// are not UTF-8 (each decoded by hand from the Windows-1252 table).
const std::vector<OddName>& OddFileNames() {
    static const std::vector<OddName> names = {
#ifdef _WIN32
        // Windows names are Unicode, without control characters, quotes or backslashes.
        {"\xE6\x97\xA5\xE6\x9C\xAC.gba", "\xE6\x97\xA5\xE6\x9C\xAC.gba"},
        {"\xF0\x9F\x8E\xAE emoji.bin", "\xF0\x9F\x8E\xAE emoji.bin"},
        {"e\xCC\x81 decomposed.agb", "e\xCC\x81 decomposed.agb"},
        {" leading space;#%&[{.gba", " leading space;#%&[{.gba"},
#else
        {"new\nline.gba", "new\nline.gba"},
        {"quote\"d.gba", "quote\"d.gba"},
        {"back\\slash.gba", "back\\slash.gba"},
        {"tab\there.gba", "tab\there.gba"},
        {"ctl\x01\x1b\x7f.gba", "ctl\x01\x1b\x7f.gba"},
        {"\x80\x81\x8d\x8f\x90\x9d\x9f.gba",
         "\xE2\x82\xAC\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D\xC5\xB8.gba"},
        {"caf\xE9 \xFF.gba", "caf\xC3\xA9 \xC3\xBF.gba"},
        // One stray byte makes the whole name Windows-1252, the valid pair too.
        {"half \xC3\xA9 and \xE9.gba", "half \xC3\x83\xC2\xA9 and \xC3\xA9.gba"},
        {"\xE6\x97\xA5\xE6\x9C\xAC.gba", "\xE6\x97\xA5\xE6\x9C\xAC.gba"},
        {"\xED\xA0\x80.bin", "\xC3\xAD\xC2\xA0\xE2\x82\xAC.bin"}, // an encoded surrogate
        {"over\xC0\xAF.agb", "over\xC3\x80\xC2\xAF.agb"},         // an overlong "/"
        {"\x93quoted\x94 \x96.gba", "\xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x80\x93.gba"},
#endif
    };
    return names;
}

const OddName kOddEntryName = {"in\"ner\\\n\x92.agb", "in\"ner\\\n\xE2\x80\x99.agb"};

// Files and one archive entry with odd names.
std::vector<ExpectedRow> AddOddNames(const TempDir& dir) {
    std::vector<ExpectedRow> rows;
    for (const OddName& name : OddFileNames()) {
        dir.WriteFile(name.raw, Image("ODD"));
        rows.push_back({name.raw, SoundRow(name.decoded, "", 512, 0, "ODD")});
    }
    const auto inner = Image("ODD INNER");
    WriteZip(dir / "names.zip", {{kOddEntryName.raw, inner}});
    rows.push_back({kOddEntryName.raw, SoundRow("names.zip", kOddEntryName.decoded, 512,
                                                Crc32Of(inner), "ODD INNER")});
    return rows;
}

} // namespace

TEST_F(HostileScanTest, SpecialFilesUnderImageNamesGiveNoRowAndDoNotStall) {
    const SpecialFiles special = AddSpecialFiles(m_dir);
    const auto expected = Sorted({special.rows});

    EXPECT_THAT(ScanRows(m_dir.Path()), ElementsAreArray(expected));
}

TEST_F(HostileScanTest, SizesAreReportedWholeFromZeroBytesToFiveGiB) {
    const auto expected = Sorted({AddSizeCases(m_dir)});

    EXPECT_THAT(ScanRows(m_dir.Path()), ElementsAreArray(expected));
}

TEST_F(HostileScanTest, OddNamesComeOutAsValidEscapedJson) {
    const auto expected = Sorted({AddOddNames(m_dir)});

    const nlohmann::json document = ScanJson(m_dir.Path()); // parsed strictly
    EXPECT_THAT(RowsOf(document), ElementsAreArray(expected));
    for (const nlohmann::json& entry : document["entries"]) {
        EXPECT_EQ(entry["path"], m_dir / entry["file_name"].get<std::string>());
    }
}

TEST_F(HostileScanTest, HundredThousandNamesGiveExactlyTheMatchingRowsInOrder) {
#ifdef _WIN32
    GTEST_SKIP() << "under Wine each new file looks through its folder for a name differing in "
                    "case only: 100,000 take hours to make (scripts/compare-windows-cli scans a "
                    "large folder made from Linux)";
#endif
    // 5,000 empty images in three extensions and mixed case, among 95,000
    // names that only look like images, listed in whatever order the
    // directory holds them.
    constexpr int kImages = 5000;
    constexpr int kOthers = 95000;
    const std::array<const char*, 4> imageExtensions = {".bin", ".GBA", ".gba", ".Agb"};
    const std::array<const char*, 10> otherSuffixes = {
        ".txt", ".gba.bak", ".gbax", "gba", ".gb", ".agb~", ".bin.part", ".zi", ".gba ", ""};
    const auto imageName = [&](int i) {
        const std::string number = std::to_string(100000 + i).substr(1);
        return std::string(i % 2 == 0 ? "Rom" : "rOM") + number + imageExtensions[i % 4];
    };
    for (int i = 0; i < kImages; ++i) {
        MakeEmptyFile(m_dir / imageName(i));
    }
    for (int i = 0; i < kOthers; ++i) {
        MakeEmptyFile(m_dir / ("rom" + std::to_string(i) + otherSuffixes[i % 10]));
    }

    const nlohmann::json document = ScanJson(m_dir.Path());

    // Sorted rows follow i. The scan found them by extension group (.BIN,
    // then .GBA of either case, then .AGB), each group in name order, and
    // each row's index is its place in that order.
    const auto groupOf = [](int i) { return i % 4 == 0 ? 0 : (i % 4 == 3 ? 2 : 1); };
    std::vector<ScannedRow> expected;
    std::vector<std::int64_t> expectedIndex(kImages);
    std::int64_t next = 0;
    for (int group = 0; group < 3; ++group) {
        for (int i = 0; i < kImages; ++i) {
            if (groupOf(i) == group) {
                expectedIndex[static_cast<std::size_t>(i)] = next++;
            }
        }
    }
    for (int i = 0; i < kImages; ++i) {
        expected.push_back(ZeroRow(imageName(i), "", 0, 0));
    }
    EXPECT_THAT(RowsOf(document), ElementsAreArray(expected));
    std::vector<std::int64_t> indexes;
    for (const nlohmann::json& entry : document["entries"]) {
        indexes.push_back(entry["index"].get<std::int64_t>());
    }
    EXPECT_EQ(indexes, expectedIndex);
}

TEST_F(HostileScanTest, TheWholeHostileFolderGivesItsRowsAndIsLeftAsItWas) {
    // Everything at once, plus a subfolder whose image must not be entered
    // and a read-only image, which is read like any other.
    const auto special = AddSpecialFiles(m_dir);
    const auto sizes = AddSizeCases(m_dir);
    const auto names = AddOddNames(m_dir);
    m_dir.MakeSubdir("sub");
    m_dir.WriteFile("sub/deeper.gba", Image("DEEPER"));
    const std::string readOnly = m_dir.WriteFile("locked.gba", Image("LOCKED"));
    std::filesystem::permissions(NativePath(readOnly),
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);

    const auto rows = ScanRows(m_dir.Path()); // the snapshot comparison is in there

    EXPECT_THAT(rows, ElementsAreArray(Sorted(
                          {special.rows,
                           sizes,
                           names,
                           {{"locked.gba", SoundRow("locked.gba", "", 512, 0, "LOCKED")}}})));
}
