// Where a scan keeps its entries' prepared records: large blocks filled one
// after another, so that 100,000 records cost no allocation each and keep
// their addresses while more are added.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

class CRecordStore {
public:
    // A copy of `record` that stays at its address as long as the store.
    const char* Keep(std::string_view record);

private:
    static constexpr std::size_t kBlockSize = 1 << 16;

    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::size_t m_nUsed = kBlockSize; // of the last block
};
