#include "protocol/ChipIdentification.h"
#include "profiles/ProfileData.h"

#include <gtest/gtest.h>

using namespace zandor::protocol;

TEST(ChipIdentificationTest, EachByteHasItsMeaningAndTheAdviceForTheChosenCpuType)
{
    const struct {
        std::uint8_t byte;
        const char* meaning;
        const char* adviceForC167;
        const char* adviceForST10F168;
    } cases[] = {
        {0x55, "8xC166", "8xC166", "8xC166"},
        {0xA5, "an early C167", "an early C167", "an early C167"},
        {0xB5, "C165", "C165", "C165"},
        {0xC5, "a C167 derivative such as the C167CR", "a C167 derivative such as the C167CR",
         "a C167 derivative such as the C167CR: choose the CPU type C167 if this is one"},
        {0xD5, "a chip with identification registers, such as the ST10F168",
         "a chip with identification registers, such as the ST10F168: choose that CPU type if this is one",
         "a chip with identification registers, such as the ST10F168"},
        {0x00, "not a bootstrap identification byte", "not a bootstrap identification byte",
         "not a bootstrap identification byte"},
        {0xFF, "not a bootstrap identification byte", "not a bootstrap identification byte",
         "not a bootstrap identification byte"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.byte));
        EXPECT_EQ(IdentificationMeaning(c.byte), QLatin1String(c.meaning));
        EXPECT_EQ(RefusedIdentificationAdvice(c.byte, CpuType::C167), QLatin1String(c.adviceForC167));
        EXPECT_EQ(RefusedIdentificationAdvice(c.byte, CpuType::ST10F168), QLatin1String(c.adviceForST10F168));
    }
    // The byte each CPU type takes is unchanged, and every processor code but ST10F168 is a C167.
    zandor::profiles::ProfileData profile;
    for (const auto& [code, byte] : {std::pair{"C167", 0xC5}, {"ST10F168", 0xD5}, {"st10f168", 0xC5}, {"", 0xC5}}) {
        profile.ProcessorCode = QString::fromLatin1(code);
        EXPECT_EQ(AcceptedIdentification(CpuTypeOf(profile)), byte) << code;
    }
}
