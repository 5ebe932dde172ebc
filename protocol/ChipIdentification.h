#pragma once

// The bytes a C166-family chip's bootstrap loader answers the zero byte with, and what
// each says about the chip, in one table: the byte each CPU type accepts, the name of a
// byte and the advice for a refused one all derive from it. Pure lookups.

#include "profiles/ProfileData.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace zandor::protocol {

// The CPU types a profile chooses between: any processor code but "ST10F168" is a C167.
enum class CpuType { C167, ST10F168 };
CpuType CpuTypeOf(const profiles::ProfileData& profile);

struct ChipIdentification {
    std::uint8_t byte = 0;
    const char* meaning = "";                // "an early C167"
    std::optional<CpuType> acceptedBy;       // the CPU type this byte identifies, if any
    const char* advice = "";                 // after the meaning when another CPU type is chosen
};

// Every identification byte of the family manuals, in byte order.
const std::vector<ChipIdentification>& ChipIdentifications();

// The byte the CPU type's bootstrap answers with (C5h for the C167, D5h for the ST10F168).
std::uint8_t AcceptedIdentification(CpuType cpu);

// What a byte says ("C165"); for any other byte "not a bootstrap identification byte".
QString IdentificationMeaning(std::uint8_t byte);

// What to tell a user whose board answered `byte` while the profile chose `cpu`: the
// meaning, and for a byte another CPU type takes, that it might be the one to choose.
QString RefusedIdentificationAdvice(std::uint8_t byte, CpuType cpu);

}  // namespace zandor::protocol
