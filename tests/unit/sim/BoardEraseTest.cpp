#include "FakeBoardLine.h"
#include "sim/Board.h"
#include "sim/FlashBanks.h"

#include <gtest/gtest.h>

namespace zandor::sim {
namespace {

constexpr std::uint32_t kKiB = 1024;

// The erase command for `bank` and its line feed.
std::string EraseCommand(int bank)
{
    const int count = 3;  // 00h, the bank, the checksum
    return std::string("SE") + char(count) + '\0' + char(bank) + char(255 - (count + bank) % 256) + '\n';
}

TEST(FlashBanks, EachLoaderErasesItsMemorysBanks)
{
    struct Case {
        const char* tag;
        int bank;
        std::optional<std::uint32_t> first;
        std::uint32_t bytes;
    };
    const Case cases[] = {
        {"LoaderC167", 0, 0x00000, 16 * kKiB},        {"LoaderC167", 1, 0x04000, 48 * kKiB},
        {"LoaderC168", 2, 0x10000, 96 * kKiB},        {"LoaderC167", 3, 0x28000, 96 * kKiB},
        {"LoaderC167", 4, std::nullopt, 0},           {"LoaderC167", -1, std::nullopt, 0},
        {"LoaderAMD29F0x0", 0, 0x80000, 64 * kKiB},   {"LoaderAMD29F0x0", 7, 0xF0000, 64 * kKiB},
        {"LoaderAMD29F0x0", 8, std::nullopt, 0},      {"LoaderAT45D0x1", 0, std::nullopt, 0},
        {"", 0, std::nullopt, 0},
    };
    for (const Case& c : cases) {
        const std::optional<FlashBank> bank = FlashBankOf(c.tag, c.bank);
        ASSERT_EQ(bank.has_value(), c.first.has_value()) << c.tag << " " << c.bank;
        if (bank) {
            EXPECT_EQ(bank->first, *c.first) << c.tag << " " << c.bank;
            EXPECT_EQ(bank->bytes, c.bytes) << c.tag << " " << c.bank;
        }
    }
}

TEST(BoardErase, AnErasedBankReadsFFhUntilProgrammedAndTheDumpShowsIt)
{
    struct Case {
        const char* name;
        const char* loaderTag;
        bool refuseErase;
        std::size_t memoryBytes;  // after programming 00010000h once, erasing bank 2, programming 00010001h
        std::uint8_t at10000;
    };
    const Case cases[] = {
        {"CPU flash: the bank's old byte is erased", "LoaderC167", false, 96 * kKiB, 0xFF},
        {"a refused erase changes nothing", "LoaderC167", true, 2, 0x11},
        {"a loader without flash erases nothing", "LoaderDS1994", false, 2, 0x11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimOptions options;
        if (c.refuseErase)
            options.refusals.push_back({Refusal::Where::Erase, 2, '!'});
        TestBoard t(options);
        t.feed(BootBytes(32, c.loaderTag) + ByteRecord(0x10000, 0x11) + EraseCommand(2) + ByteRecord(0x10001, 0x22));
        EXPECT_EQ(t.line.sent, c.refuseErase ? "\xC5**!*" : "\xC5****");
        const auto& memory = t.board.memory();
        EXPECT_EQ(memory.size(), c.memoryBytes);
        EXPECT_EQ(memory.at(0x10000), c.at10000);
        EXPECT_EQ(memory.at(0x10001), 0x22);
        const std::string dump = FormatMemoryDump(memory);
        const std::string head = c.at10000 == 0xFF ? "00010000 FF22FFFF" : "00010000 1122\n";
        EXPECT_EQ(dump.substr(0, head.size()), head);
    }
}

}  // namespace
}  // namespace zandor::sim
