#include "ChipIdentification.h"

#include "ReplyCodes.h"
#include "profiles/MemoryFiles.h"

#include <algorithm>

namespace zandor::protocol {

namespace {

const ChipIdentification* Find(std::uint8_t byte)
{
    const auto& table = ChipIdentifications();
    const auto row = std::find_if(table.begin(), table.end(),
                                  [byte](const ChipIdentification& entry) { return entry.byte == byte; });
    return row == table.end() ? nullptr : &*row;
}

}  // namespace

CpuType CpuTypeOf(const profiles::ProfileData& profile)
{
    return profiles::IsST10F168(profile) ? CpuType::ST10F168 : CpuType::C167;
}

const std::vector<ChipIdentification>& ChipIdentifications()
{
    // D5h names no single chip: every derivative with identification registers (ST10F168,
    // ST10F269, C167CS ...) answers it, and its registers tell them apart.
    static const std::vector<ChipIdentification> table = {
        {0x55, "8xC166", std::nullopt, ""},
        {0xA5, "an early C167", std::nullopt, ""},
        {0xB5, "C165", std::nullopt, ""},
        {kBootstrapIdC167, "a C167 derivative such as the C167CR", CpuType::C167,
         "choose the CPU type C167 if this is one"},
        {kBootstrapIdST10F168, "a chip with identification registers, such as the ST10F168", CpuType::ST10F168,
         "choose that CPU type if this is one"},
    };
    return table;
}

std::uint8_t AcceptedIdentification(CpuType cpu)
{
    const auto& table = ChipIdentifications();
    return std::find_if(table.begin(), table.end(),
                        [cpu](const ChipIdentification& entry) { return entry.acceptedBy == cpu; })
        ->byte;
}

QString IdentificationMeaning(std::uint8_t byte)
{
    const ChipIdentification* row = Find(byte);
    return row ? QString::fromLatin1(row->meaning) : QStringLiteral("not a bootstrap identification byte");
}

QString RefusedIdentificationAdvice(std::uint8_t byte, CpuType cpu)
{
    const ChipIdentification* row = Find(byte);
    if (!row || !row->acceptedBy || *row->acceptedBy == cpu)
        return IdentificationMeaning(byte);
    return QStringLiteral("%1: %2").arg(QString::fromLatin1(row->meaning), QString::fromLatin1(row->advice));
}

}  // namespace zandor::protocol
