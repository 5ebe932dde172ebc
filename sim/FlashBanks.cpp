#include "FlashBanks.h"

#include <array>


namespace zandor::sim {

namespace {

constexpr std::uint32_t kKiB = 1024;
constexpr int kMostBanks = 8;

struct BankLayout {
    const char* loaderTag;
    std::uint32_t base;  // where bank 0 begins
    int banks;
    std::array<std::uint32_t, kMostBanks> bankBytes;
};

// The on-chip flash (blocks of 16, 48, 96 and 96 KiB from address 0) and an AMD29F040 of
// eight 64 KiB sectors mapped at 80000h, where the sample AMD29F0x0 image lands.
constexpr BankLayout kLayouts[] = {
    {"LoaderC167", 0x000000, 4, {16 * kKiB, 48 * kKiB, 96 * kKiB, 96 * kKiB}},
    {"LoaderC168", 0x000000, 4, {16 * kKiB, 48 * kKiB, 96 * kKiB, 96 * kKiB}},
    {"LoaderAMD29F0x0", 0x080000, 8,
     {64 * kKiB, 64 * kKiB, 64 * kKiB, 64 * kKiB, 64 * kKiB, 64 * kKiB, 64 * kKiB, 64 * kKiB}},
};

}  // namespace

std::optional<FlashBank> FlashBankOf(const std::string& loaderTag, int bank)
{
    for (const BankLayout& layout : kLayouts) {
        if (loaderTag != layout.loaderTag)
            continue;
        if (bank < 0 || bank >= layout.banks)
            return std::nullopt;
        FlashBank found{layout.base, layout.bankBytes[std::size_t(bank)]};
        for (int i = 0; i < bank; ++i)
            found.first += layout.bankBytes[std::size_t(i)];
        return found;
    }
    return std::nullopt;
}

}  // namespace zandor::sim
