#pragma once

// Where the banks of an erase command lie. The board learns its memory from the loader
// that runs (its tag): our CPU loaders erase the on-chip flash's four blocks, the
// AMD29F0x0 loader its eight sectors. Other loaders erase nothing the board models.

#include <cstdint>
#include <optional>
#include <string>

namespace zandor::sim {

struct FlashBank {
    std::uint32_t first = 0;  // the bank's first address
    std::uint32_t bytes = 0;
};

// The bank `bank` of the memory the loader tagged `loaderTag` erases; none for a loader or
// bank the board has no flash for.
std::optional<FlashBank> FlashBankOf(const std::string& loaderTag, int bank);

}  // namespace zandor::sim
