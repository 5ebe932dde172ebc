#pragma once

#include <QString>
#include <cstdint>

namespace zandor::profiles {

// The five settings of one indicator pin on a target port (busy or fail LED).
// Addresses and mask stay hexadecimal text; nothing in the programming run reads them.
struct IndicatorPin {
    QString DataAddr;
    QString DirAddr;
    QString OpenDrainAddr;
    QString Mask;
    std::uint8_t ActLev = 0;

    bool operator==(const IndicatorPin& other) const;
    bool operator!=(const IndicatorPin& other) const { return !(*this == other); }
};

// One named controller set-up. Field names double as the keys in the settings store.
struct ProfileData {
    QString Name;  // not stored as a key

    std::int16_t COMPort = 1;
    bool COMDTREnable = false;
    bool COMHandshaking = false;
    std::int32_t COMInBufferSize = 2048;
    std::int32_t COMOutBufferSize = 2048;
    bool COMNullDiscard = false;
    QString COMSettings = QStringLiteral("38400,N,8,1");

    IndicatorPin IndBusy;  // keys IndBusyDataAddr ... IndBusyActLev
    IndicatorPin IndFail;  // keys IndFailDataAddr ... IndFailActLev

    QString PreLoaderFile = QStringLiteral("PreLoad.bin");
    QString AMD29F0x0LoaderFile = QStringLiteral("LoaderAMD29F0x0.sre");
    QString AMD29F0x0ApplFile = QStringLiteral("ApplAMD29F0x0.sre");
    QString AMD29F0x0ApplFileOffset = QStringLiteral("00000000");
    QString AT45D0x1LoaderFile = QStringLiteral("LoaderAT45D0x1.sre");
    QString AT45D0x1ApplFile = QStringLiteral("ApplAT45D0x1.sre");
    QString AT45D0x1ApplFileOffset = QStringLiteral("00000000");
    QString C167LoaderFile = QStringLiteral("LoaderC167.sre");
    QString C168LoaderFile = QStringLiteral("LoaderC168.sre");
    QString C167ApplFile = QStringLiteral("Appl.sre");
    QString C167ApplFileOffset;  // empty by default, unlike the other offsets
    QString DS1994LoaderFile = QStringLiteral("LoaderDS1994.sre");
    QString DS1994ApplFile = QStringLiteral("ApplDS1994.sre");
    QString DS1994ApplFileOffset = QStringLiteral("00000000");
    QString ProcessorCode = QStringLiteral("C167");
    // DTR/RTS steps (profiles/LineSequence.h). ResetSequence runs before every zero byte,
    // RunSequence after a successful programming run of the command line. Empty: the lines
    // keep their levels from the open, as on a board reset by hand.
    QString ResetSequence;
    QString RunSequence;

    bool operator==(const ProfileData& other) const;
    bool operator!=(const ProfileData& other) const { return !(*this == other); }
};

// The built-in "Default" profile's values (Name empty): exactly a default-constructed record.
inline ProfileData DefaultProfileData() { return ProfileData{}; }

// Selects the memory to erase and program: the main window's option buttons give 1 to 3.
enum MemoryKind : int {
    CpuFlashMemory = 1,      // on-chip CPU flash
    ExternalFlashMemory = 2, // AMD29F0x0 external flash
    DataFlashMemory = 3,     // AT45D0x1 data flash
    DS1994Memory = 4,        // exists in the profile and the protocol, no button
};

}  // namespace zandor::profiles
