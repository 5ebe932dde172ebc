#include "protocol/ChipIdentification.h"
#include "profiles/ProfileData.h"

#include <gtest/gtest.h>

using namespace zandor::protocol;

// The byte each CPU type takes is unchanged, and every processor code but ST10F168 is a C167.
TEST(ChipIdentificationTest, EveryProcessorCodeButST10F168TakesTheC167sByte)
{
    zandor::profiles::ProfileData profile;
    for (const auto& [code, byte] : {std::pair{"C167", 0xC5}, {"ST10F168", 0xD5}, {"st10f168", 0xC5}, {"", 0xC5}}) {
        profile.ProcessorCode = QString::fromLatin1(code);
        EXPECT_EQ(AcceptedIdentification(CpuTypeOf(profile)), byte) << code;
    }
}
