#pragma once

// Which fields of a profile name the files of each memory: its loader, its application file
// and that file's load offset. The window, the protocol and the command line all pick them
// here.

#include "ProfileData.h"

namespace zandor::profiles {

// The processor code (exact, case-sensitive) that selects the ST10F168's loader and its
// identification byte; every other code means a C167.
inline const QString kProcessorCodeST10F168 = QStringLiteral("ST10F168");
bool IsST10F168(const ProfileData& profile);

template <typename Text>  // QString, or const QString for a profile that is only read
struct MemoryFileFields {
    Text* loader = nullptr;       // the CPU flash's follows the processor code
    Text* application = nullptr;
    Text* offset = nullptr;       // hexadecimal load address of a binary application file
};

// The memory's name in the status texts: "CPU", "AMD29F0x0", "AT45D0x1" or "DS1994"; empty
// for a memory kind outside 1 to 4.
QString MemoryStatusName(MemoryKind memoryKind);

// All null for a memory kind outside 1 to 4.
MemoryFileFields<QString> FilesOfMemory(ProfileData& profile, int memoryKind);
MemoryFileFields<const QString> FilesOfMemory(const ProfileData& profile, int memoryKind);

}  // namespace zandor::profiles
