// The entry record: slices, flags from a scan of real files, display names.
#include "scan/CRomEntry.h"
#include "scan/CRomEntryList.h"
#include "tests/support/HeaderBuilder.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST(RomEntry, SliceRoundTripChangesExactly0xA0To0xBF) {
    CartridgeHeader source;
    for (std::size_t i = 0; i < source.size(); ++i) {
        source[i] = static_cast<std::uint8_t>(i ^ 0x5A);
    }
    CRomEntry entry(32);
    EXPECT_EQ(entry.GetSliceLength(), 32);
    entry.StoreSlice(source);

    CartridgeHeader target;
    target.fill(0xEE);
    CartridgeHeader& returned = entry.RestoreSlice(target);
    EXPECT_EQ(&returned, &target);
    for (std::size_t i = 0; i < target.size(); ++i) {
        if (i >= 0xA0 && i <= 0xBF) {
            EXPECT_EQ(target[i], source[i]) << i;
        } else {
            EXPECT_EQ(target[i], 0xEE) << i;
        }
    }
}

TEST(RomEntry, SliceLengthKeepsTheLowEightBits) {
    CRomEntry wide(256 + 4);
    EXPECT_EQ(wide.GetSliceLength(), 4);
    CartridgeHeader source{};
    source.fill(0x11);
    wide.StoreSlice(source);
    CartridgeHeader target{};
    wide.RestoreSlice(target);
    EXPECT_EQ(target[0xA3], 0x11);
    EXPECT_EQ(target[0xA4], 0x00);

    CRomEntry widest(255);
    widest.StoreSlice(source); // 0xA0 + 255 stays inside the header
    widest.RestoreSlice(target);
    EXPECT_EQ(target[0x19E], 0x11);
    EXPECT_EQ(target[0x19F], 0x00);
}

TEST(RomEntry, NewEntryIsEmptyWithClearFlags) {
    CRomEntry entry(32);
    EXPECT_EQ(entry.m_strInnerName, "");
    EXPECT_EQ(entry.m_dwCrc32, 0u);
    EXPECT_EQ(entry.m_dwFlags, 0u);
    EXPECT_EQ(ROMF_COMPLEMENT_ERROR, 0x08u);
    EXPECT_EQ(ROMF_LOGO_ERROR, 0x10u);
}

TEST(RomEntry, DisplayNameIsTheInnerNameWhenThereIsOne) {
    CRomEntry plain(32);
    plain.m_strFileName = "game.gba";
    EXPECT_EQ(plain.GetDisplayName(), "game.gba");

    CRomEntry archived(32);
    archived.m_strFileName = "pack.zip";
    archived.m_strInnerName = "demo/b.agb";
    EXPECT_EQ(archived.GetDisplayName(), "demo/b.agb");
}

TEST(RomEntryList, OwnsItsEntriesAndEmptiesTogether) {
    CRomEntryList list;
    EXPECT_EQ(list.GetSize(), 0u);
    EXPECT_EQ(list.GetAt(0), nullptr);
    for (int i = 0; i < 3; ++i) {
        auto entry = std::make_unique<CRomEntry>(32);
        entry->m_strFileName = "f" + std::to_string(i);
        EXPECT_EQ(list.Append(std::move(entry)), static_cast<std::size_t>(i));
    }
    ASSERT_EQ(list.GetSize(), 3u);
    EXPECT_EQ(list.GetAt(2)->m_strFileName, "f2");
    EXPECT_EQ(list.GetAt(3), nullptr);
    list.RemoveAll();
    EXPECT_EQ(list.GetSize(), 0u);
    EXPECT_EQ(list.GetAt(0), nullptr);
    EXPECT_EQ(list.Append(std::make_unique<CRomEntry>(32)), 0u); // positions start again at 0
}
