// One directory listing per scan, bucketed by extension and sorted.
#include "CFolderSearch.h"

#include "NameOrder.h"
#include "romio/CFileSystem.h"
#include "romio/CRomLoader.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace {

// Slot whose extension `name` ends in, or -1.
int SlotOf(std::string_view name, const CRomLoader& loader) {
    for (int slot = 0; slot < loader.GetExtensionCount(); ++slot) {
        const std::string& accepted = loader.GetExtensionAt(slot);
        if (!accepted.empty() && CRomLoader::HasExtension(name, accepted)) {
            return slot;
        }
    }
    return -1;
}

bool ScanOrder(const std::string& a, const std::string& b) {
    const int folded = CompareUpperCased(a, b);
    return folded != 0 ? folded < 0 : a < b; // ties broken by the raw bytes
}

struct KeyedName {
    UpperCasedPrefix key;
    std::size_t index = 0; // in the group as listed
};

// Sorts a group's names in ScanOrder, and their flags with them; the names'
// prefixes decide whenever they differ.
void SortInScanOrder(std::vector<std::string>& names, std::vector<bool>& flags) {
    std::vector<KeyedName> keyed;
    keyed.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        keyed.push_back({UpperCasedPrefix::Of(names[i]), i});
    }
    std::sort(keyed.begin(), keyed.end(), [&names](const KeyedName& a, const KeyedName& b) {
        const int order = a.key.Compare(b.key);
        return order != 0 ? order < 0 : ScanOrder(names[a.index], names[b.index]);
    });
    std::vector<std::string> sortedNames;
    std::vector<bool> sortedFlags;
    sortedNames.reserve(names.size());
    sortedFlags.reserve(names.size());
    for (const KeyedName& item : keyed) {
        sortedNames.push_back(std::move(names[item.index]));
        sortedFlags.push_back(flags[item.index]);
    }
    names.swap(sortedNames);
    flags.swap(sortedFlags);
}

} // namespace

int CFolderSearch::List(const std::string& folder, const CRomLoader& loader, bool withSubfolders) {
    const auto groupCount = static_cast<std::size_t>(std::max(loader.GetExtensionCount(), 0));
    m_groups.assign(groupCount, {});
    m_listedRegular.assign(groupCount, {});
    m_subfolders.clear();
    const std::string prefix = folder + CFileSystem::kSeparator;
    const auto isFolder = [&](std::string_view name, ListedKind kind) {
        // A listing that cannot tell is asked again, links not followed.
        return kind == ListedKind::Folder ||
               (kind == ListedKind::Unknown &&
                CFileSystem::KindOf(prefix + std::string(name)) == ListedKind::Folder);
    };
    const int readError = m_listFolder(folder, [&](std::string_view name, ListedKind kind) {
        const int slot = SlotOf(name, loader);
        if (slot >= 0) {
            m_groups[static_cast<std::size_t>(slot)].emplace_back(name);
            m_listedRegular[static_cast<std::size_t>(slot)].push_back(kind == ListedKind::Regular);
        }
        if (withSubfolders && isFolder(name, kind)) {
            m_subfolders.emplace_back(name);
        }
    });
    for (std::size_t group = 0; group < groupCount; ++group) {
        SortInScanOrder(m_groups[group], m_listedRegular[group]);
    }
    std::sort(m_subfolders.begin(), m_subfolders.end(), ScanOrder);
    return readError;
}

const std::vector<std::string>& CFolderSearch::GetGroup(int slot) const {
    return m_groups.at(static_cast<std::size_t>(slot));
}

void CFolderSearch::ReleaseGroups() {
    m_groups = {};
    m_listedRegular = {};
}

std::string CFolderSearch::TakeName(int slot, std::size_t index) {
    return std::move(m_groups.at(static_cast<std::size_t>(slot)).at(index));
}

bool CFolderSearch::IsListedRegular(int slot, std::size_t index) const {
    return m_listedRegular.at(static_cast<std::size_t>(slot)).at(index);
}

std::size_t CFolderSearch::GetTotal() const {
    std::size_t total = 0;
    for (const auto& group : m_groups) {
        total += group.size();
    }
    return total;
}
