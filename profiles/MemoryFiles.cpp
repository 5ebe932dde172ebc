#include "MemoryFiles.h"

namespace zandor::profiles {

bool IsST10F168(const ProfileData& profile) { return profile.ProcessorCode == kProcessorCodeST10F168; }

QString MemoryStatusName(MemoryKind memoryKind)
{
    switch (memoryKind) {
    case CpuFlashMemory:
        return QStringLiteral("CPU");
    case ExternalFlashMemory:
        return QStringLiteral("AMD29F0x0");
    case DataFlashMemory:
        return QStringLiteral("AT45D0x1");
    case DS1994Memory:
        return QStringLiteral("DS1994");
    }
    return QString();
}

MemoryFileFields<QString> FilesOfMemory(ProfileData& profile, int memoryKind)
{
    switch (memoryKind) {
    case CpuFlashMemory:
        return {IsST10F168(profile) ? &profile.C168LoaderFile : &profile.C167LoaderFile, &profile.C167ApplFile,
                &profile.C167ApplFileOffset};
    case ExternalFlashMemory:
        return {&profile.AMD29F0x0LoaderFile, &profile.AMD29F0x0ApplFile, &profile.AMD29F0x0ApplFileOffset};
    case DataFlashMemory:
        return {&profile.AT45D0x1LoaderFile, &profile.AT45D0x1ApplFile, &profile.AT45D0x1ApplFileOffset};
    case DS1994Memory:
        return {&profile.DS1994LoaderFile, &profile.DS1994ApplFile, &profile.DS1994ApplFileOffset};
    default:
        return {};
    }
}

MemoryFileFields<const QString> FilesOfMemory(const ProfileData& profile, int memoryKind)
{
    // The same fields, handed out for reading only.
    const auto fields = FilesOfMemory(const_cast<ProfileData&>(profile), memoryKind);
    return {fields.loader, fields.application, fields.offset};
}

}  // namespace zandor::profiles
