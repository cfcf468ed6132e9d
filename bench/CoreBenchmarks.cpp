// Micro-benchmarks of the core: the header decoders, Load on a plain image and
// on a ZIP archive, the sort comparison and the 100,000-row sort, the details
// texts, the command line's per-entry output and loading a DAT file in either
// form. Run by bench/run --micro.
#include "cli/CJsonReportWriter.h"
#include "cli/CTableReportWriter.h"
#include "dat/CDatFile.h"
#include "romio/CGbaRomLoader.h"
#include "scan/CFolderSearch.h"
#include "scan/CReadROMs.h"
#include "scan/CRomEntry.h"
#include "scan/CRomEntryList.h"
#include "scan/IScanTarget.h"
#include "scan/NameOrder.h"
#include "tests/support/HeaderBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBuilder.h"
#include "ui/RomDetailFields.h"
#include "ui/RomDetails.h"
#include "ui/RomSort.h"
#include "ui/TextConversion.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <random>

using namespace testing_support;

namespace {

constexpr std::uint32_t kHeaderBytes = 512;

CartridgeHeader GoodHeader() {
    return BuildHeader({.title = "STAR RACER", .gameCode = "ASRE", .maker = "01"});
}

// Realistic display names, reproducible: one to three words and a region.
std::vector<std::string> MakeNames(std::size_t count) {
    static const char* const words[] = {"Advance", "Quest", "Star",   "Dragon", "Racer",  "Puzzle",
                                        "Knight",  "Tiny",  "Super",  "Mega",   "Kart",   "Legend",
                                        "Soccer",  "Ninja", "Robot",  "Magic",  "Galaxy", "Pirate",
                                        "Turbo",   "Sword", "Wizard", "Dino",   "Arena",  "Comet"};
    static const char* const regions[] = {" (USA)", " (Europe)", " (Japan)", " (Germany)"};
    static const char* const extensions[] = {".gba", ".GBA", ".agb", ".bin"};
    std::mt19937 random(1);
    std::vector<std::string> names;
    names.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::string name;
        const auto wordCount = 1 + random() % 3;
        for (unsigned w = 0; w < wordCount; ++w) {
            name += (w == 0 ? "" : " ");
            name += words[random() % std::size(words)];
        }
        name += regions[random() % std::size(regions)];
        name += " (" + std::to_string(i) + ")";
        name += extensions[random() % std::size(extensions)];
        names.push_back(std::move(name));
    }
    return names;
}

std::unique_ptr<CRomEntry> EntryFor(const CartridgeHeader& header, const std::string& fileName,
                                    const std::string& innerName = "") {
    auto entry = std::make_unique<CRomEntry>(32);
    entry->StoreSlice(header);
    entry->SetFolder(std::make_shared<const std::string>("/roms/"));
    entry->m_strFileName = fileName;
    entry->m_strInnerName = innerName;
    entry->m_dwSize = 8u << 20;
    entry->m_dwCrc32 = innerName.empty() ? 0 : 0x1234ABCD;
    return entry;
}

// One plain 8 MiB image (sparse) and one archive holding a readme and the
// deflated image, made once for the whole run.
class LoadFixture {
public:
    LoadFixture() {
        const CartridgeHeader header = GoodHeader();
        m_plain = m_dir.WriteFile("Star Racer (USA).gba", header);
        std::filesystem::resize_file(m_plain, 8u << 20);
        m_zip = m_dir / "Star Racer (USA).zip";
        WriteZip(m_zip, {{"readme.txt", TextBytes("Star Racer: read me first.\n")},
                         {"Star Racer (USA).gba", BuildImage(header, 1u << 20)}});
    }
    const std::string& Plain() const { return m_plain; }
    const std::string& Zip() const { return m_zip; }

private:
    TempDir m_dir;
    std::string m_plain;
    std::string m_zip;
};

LoadFixture& Files() {
    static LoadFixture fixture;
    return fixture;
}

// --- Header decoders ---

void BM_CheckLogo(benchmark::State& state) {
    const CartridgeHeader header = GoodHeader();
    const CGbaRomLoader decoder;
    for (auto _ : state) {
        benchmark::DoNotOptimize(decoder.CheckLogo(header));
    }
}
BENCHMARK(BM_CheckLogo);

void BM_CalcComplement(benchmark::State& state) {
    const CartridgeHeader header = GoodHeader();
    const CGbaRomLoader decoder;
    for (auto _ : state) {
        benchmark::DoNotOptimize(decoder.CalcComplement(header));
    }
}
BENCHMARK(BM_CalcComplement);

void BM_GetInternalName(benchmark::State& state) {
    const CartridgeHeader header = GoodHeader();
    const CGbaRomLoader decoder;
    for (auto _ : state) {
        benchmark::DoNotOptimize(decoder.GetInternalName(header, true));
    }
}
BENCHMARK(BM_GetInternalName);

void BM_GetSerial(benchmark::State& state) {
    const CartridgeHeader header = GoodHeader();
    const CGbaRomLoader decoder;
    for (auto _ : state) {
        benchmark::DoNotOptimize(decoder.GetSerial(header));
    }
}
BENCHMARK(BM_GetSerial);

// Arg 0: a known maker ("01"); arg 1: an unknown one, which walks the whole table.
void BM_GetMakerName(benchmark::State& state) {
    const CartridgeHeader header =
        BuildHeader({.maker = state.range(0) == 0 ? std::string("01") : std::string("Q?")});
    const CGbaRomLoader decoder;
    for (auto _ : state) {
        benchmark::DoNotOptimize(decoder.GetMakerName(header));
    }
}
BENCHMARK(BM_GetMakerName)->Arg(0)->Arg(1);

// --- Loading ---

void BM_LoadPlain(benchmark::State& state) {
    const std::string& path = Files().Plain();
    CGbaRomLoader loader;
    CartridgeHeader header{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(loader.Load(path, 0, kHeaderBytes, header));
    }
}
BENCHMARK(BM_LoadPlain);

void BM_LoadZip(benchmark::State& state) {
    const std::string& path = Files().Zip();
    CGbaRomLoader loader;
    CartridgeHeader header{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(loader.Load(path, 0, kHeaderBytes, header));
    }
}
BENCHMARK(BM_LoadZip);

void BM_MakeEntry(benchmark::State& state) {
    CGbaRomLoader loader;
    CartridgeHeader header{};
    loader.Load(Files().Zip(), 0, kHeaderBytes, header);
    const auto folder = std::make_shared<const std::string>("/roms/");
    const std::string fileName = loader.GetFileName();
    for (auto _ : state) {
        benchmark::DoNotOptimize(CReadROMs::MakeEntry(loader, header, folder, fileName));
    }
}
BENCHMARK(BM_MakeEntry);

// --- Sorting ---

void BM_CompareRomNames(benchmark::State& state) {
    const auto a = EntryFor(GoodHeader(), "Star Racer (USA) (12).gba");
    const auto b = EntryFor(GoodHeader(), "pack.zip", "STAR RACER (usa) (12).GBA");
    for (auto _ : state) {
        benchmark::DoNotOptimize(CompareRomNames(*a, *b));
        benchmark::DoNotOptimize(CompareRomNames(*b, *a));
    }
    state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(BM_CompareRomNames);

// Sorting the rows of a scan of range(0) images, as the dialog does at its end.
// range(1) 1: the rows come as a scan delivers them, in four runs already in
// order (one per extension); 0: in no order at all.
void BM_SortRomRows(benchmark::State& state) {
    struct Row {
        std::string text;
        std::int32_t itemData;
    };
    const auto count = static_cast<std::size_t>(state.range(0));
    CRomEntryList entries;
    std::vector<Row> scanned;
    const CartridgeHeader header = GoodHeader();
    std::vector<std::string> names = MakeNames(count);
    if (state.range(1) == 1) {
        const auto quarter = static_cast<std::ptrdiff_t>(count / 4);
        for (std::ptrdiff_t run = 0; run < 4; ++run) {
            const auto first = names.begin() + run * quarter;
            std::sort(first, run == 3 ? names.end() : first + quarter,
                      [](const std::string& a, const std::string& b) {
                          return CompareUpperCased(a, b) < 0;
                      });
        }
    }
    for (const std::string& name : names) {
        const auto position = entries.Append(EntryFor(header, name));
        scanned.push_back({name, static_cast<std::int32_t>(position)});
    }
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<Row> rows = scanned;
        state.ResumeTiming();
        SortRomRows(
            rows, [](const Row& row) { return row.itemData; }, entries);
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SortRomRows)
    ->ArgNames({"rows", "scan_order"})
    ->Args({10000, 1})
    ->Args({100000, 1})
    ->Args({100000, 0})
    ->Unit(benchmark::kMillisecond);

// Rows and entries of a real scan, for sorting them as the dialog does.
class ScannedRows : public IScanTarget {
public:
    struct Row {
        std::string text;
        std::int32_t itemData = -1;
    };

    int GetRomRowCount() override { return static_cast<int>(m_rows.size()); }
    void InsertRomRow(int /*row*/, const std::string& text) override {
        m_rows.push_back({text, -1});
    }
    void SetRomRowData(int row, std::int32_t itemData) override {
        m_rows[static_cast<std::size_t>(row)].itemData = itemData;
    }
    std::int32_t GetEntryCount() override { return m_nEntryCount; }
    void IncrementEntryCount() override { ++m_nEntryCount; }
    void PostScanDone() override {}

    const std::vector<Row>& Rows() const { return m_rows; }

private:
    std::vector<Row> m_rows;
    std::int32_t m_nEntryCount = 0;
};

// The scan of $QB_BENCH_SCAN_FOLDER (bench/run sets it to its 100,000-image
// folder), sorted at the end as the dialog does; skipped without it.
void BM_SortScannedRows(benchmark::State& state) {
    const char* folder = std::getenv("QB_BENCH_SCAN_FOLDER");
    if (folder == nullptr) {
        state.SkipWithError("QB_BENCH_SCAN_FOLDER is not set");
        return;
    }
    g_romEntries.RemoveAll();
    ScannedRows target;
    CReadROMs(target, folder).OnScanStart();
    for (auto _ : state) {
        state.PauseTiming();
        auto rows = target.Rows();
        state.ResumeTiming();
        SortRomRows(
            rows, [](const ScannedRows::Row& row) { return row.itemData; }, g_romEntries);
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(target.Rows().size()));
    g_romEntries.RemoveAll();
}
BENCHMARK(BM_SortScannedRows)->Unit(benchmark::kMillisecond);

// Listing $QB_BENCH_SCAN_FOLDER: one readdir pass, grouping and sorting.
void BM_ListFolder(benchmark::State& state) {
    const char* folder = std::getenv("QB_BENCH_SCAN_FOLDER");
    if (folder == nullptr) {
        state.SkipWithError("QB_BENCH_SCAN_FOLDER is not set");
        return;
    }
    const CGbaRomLoader loader;
    for (auto _ : state) {
        CFolderSearch search;
        benchmark::DoNotOptimize(search.List(folder, loader));
    }
}
BENCHMARK(BM_ListFolder)->Unit(benchmark::kMillisecond);

// --- Details texts and output ---

void BM_ComputeRomDetails(benchmark::State& state) {
    const auto entry = EntryFor(GoodHeader(), "pack.zip", "Star Racer (USA).gba");
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComputeRomDetails(*entry));
    }
}
BENCHMARK(BM_ComputeRomDetails);

void BM_FormatRomDetailsText(benchmark::State& state) {
    const auto entry = EntryFor(GoodHeader(), "pack.zip", "Star Racer (USA).gba");
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatRomDetailsText(*entry));
    }
}
BENCHMARK(BM_FormatRomDetailsText);

void BM_EntryJson(benchmark::State& state) {
    const auto entry = EntryFor(GoodHeader(), "pack.zip", "Star Racer (USA).gba");
    for (auto _ : state) {
        benchmark::DoNotOptimize(CJsonReportWriter::EntryJson({entry.get(), 7, nullptr}));
    }
}
BENCHMARK(BM_EntryJson);

// The same object built as a JSON library value and dumped: what writing the
// output through the library's object model would cost.
void BM_EntryJsonThroughLibrary(benchmark::State& state) {
    using Json = nlohmann::ordered_json;
    const auto entry = EntryFor(GoodHeader(), "Some Game (Europe).gba");
    for (auto _ : state) {
        const RomDetails details = ComputeRomDetails(*entry);
        Json json;
        json["index"] = 7;
        json["display_name"] = FileNameToUtf8(entry->GetDisplayName());
        json["path"] = PathToUtf8(entry->GetPath());
        json["file_name"] = FileNameToUtf8(entry->m_strFileName);
        json["inner_name"] = FileNameToUtf8(entry->m_strInnerName);
        json["size"] = entry->m_dwSize;
        json["crc32"] = entry->m_dwCrc32;
        json["flags"] = entry->m_dwFlags;
        json["header_valid"] = IsHeaderValid(*entry);
        json["logo_error"] = details.m_bLogoError;
        json["complement_error"] = (entry->m_dwFlags & ROMF_COMPLEMENT_ERROR) != 0;
        json["highlight_complement"] = details.m_bHighlightComplement;
        Json fields;
        for (const RomDetailField& field : kRomDetailFields) {
            fields[std::string(field.key)] = Cp1252ToUtf8(field.TextOf(details));
        }
        json["details"] = std::move(fields);
        benchmark::DoNotOptimize(json.dump(-1, ' ', false, Json::error_handler_t::replace));
    }
}
BENCHMARK(BM_EntryJsonThroughLibrary);

// The whole table or JSON document for 1,000 entries; arg 1 selects JSON.
void BM_EntriesOutput(benchmark::State& state) {
    CRomEntryList entries;
    std::vector<ReportedEntry> reported;
    const CartridgeHeader header = GoodHeader();
    for (const std::string& name : MakeNames(1000)) {
        const auto position = entries.Append(EntryFor(header, name));
        reported.push_back({entries.GetAt(position), static_cast<std::int64_t>(position), nullptr});
    }
    const std::string folder = "/roms";
    for (auto _ : state) {
        benchmark::DoNotOptimize(state.range(0) == 1
                                     ? CJsonReportWriter().ToText(reported, &folder)
                                     : CTableReportWriter().ToText(reported, &folder));
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_EntriesOutput)->ArgName("json")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// --- DAT files ---

// Hexadecimal digits from the generator, as a DAT writes a hash.
std::string RandomHex(std::mt19937& random, std::size_t digits) {
    std::string hex;
    for (std::size_t i = 0; i < digits; ++i) {
        hex += "0123456789abcdef"[random() % 16];
    }
    return hex;
}

// A DAT of `games` games shaped like the real ones (header, names, size,
// every hash, a serial, a status), in the XML or the text form.
std::string MakeDat(std::size_t games, bool textForm) {
    std::mt19937 random(7);
    std::string dat = textForm ? "clrmamepro (\n\tname \"Nintendo - Game Boy Advance\"\n"
                                 "\tversion 20210506-095002\n)\n\n"
                               : "<?xml version=\"1.0\"?>\n<datafile>\n\t<header>\n\t\t<name>"
                                 "Nintendo - Game Boy Advance</name>\n\t\t<version>"
                                 "20210506-095002</version>\n\t</header>\n";
    const auto names = MakeNames(games);
    for (std::size_t i = 0; i < games; ++i) {
        const std::string game = names[i].substr(0, names[i].rfind('.'));
        const std::string size = std::to_string(std::size_t{1} << (22 + random() % 4));
        const std::string crc = RandomHex(random, 8);
        const std::string md5 = RandomHex(random, 32);
        const std::string sha1 = RandomHex(random, 40);
        char serial[16];
        std::snprintf(serial, sizeof serial, "AGB-B%03zuE-USA", i % 1000);
        if (textForm) {
            dat += "game (\n\tname \"" + game + "\"\n\tdescription \"" + game +
                   "\"\n\trom ( name \"" + game + ".gba\" size " + size + " crc " + crc + " md5 " +
                   md5 + " sha1 " + sha1 + " serial \"" + serial + "\" flags verified )\n)\n\n";
        } else {
            dat += "\t<game name=\"" + game + "\">\n\t\t<description>" + game +
                   "</description>\n\t\t<rom name=\"" + game + ".gba\" size=\"" + size +
                   "\" crc=\"" + crc + "\" md5=\"" + md5 + "\" sha1=\"" + sha1 +
                   "\" status=\"verified\" serial=\"" + serial + "\"/>\n\t</game>\n";
        }
    }
    return textForm ? dat : dat + "</datafile>\n";
}

constexpr std::size_t kDatGames = 3000;

// Loading a 3,000-game DAT from a file; arg 1 selects the text form.
void BM_LoadDat(benchmark::State& state) {
    const TempDir dir;
    const bool textForm = state.range(0) == 1;
    const std::string path = dir.WriteText("gba.dat", MakeDat(kDatGames, textForm));
    for (auto _ : state) {
        const DatLoadResult loaded = CDatFile::Load(path);
        if (!loaded.dat || loaded.dat->GameCount() != kDatGames) {
            state.SkipWithError(loaded.error.Text().c_str());
            break;
        }
        benchmark::DoNotOptimize(loaded.dat->Roms().data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kDatGames));
}
BENCHMARK(BM_LoadDat)->ArgName("text")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
