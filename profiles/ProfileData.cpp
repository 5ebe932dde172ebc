#include "ProfileData.h"

#include <tuple>

namespace zandor::profiles {

bool IndicatorPin::operator==(const IndicatorPin& o) const
{
    return std::tie(DataAddr, DirAddr, OpenDrainAddr, Mask, ActLev)
           == std::tie(o.DataAddr, o.DirAddr, o.OpenDrainAddr, o.Mask, o.ActLev);
}

bool ProfileData::operator==(const ProfileData& o) const
{
    return std::tie(Name, COMPort, COMDTREnable, COMHandshaking, COMInBufferSize,
                    COMOutBufferSize, COMNullDiscard, COMSettings, IndBusy, IndFail,
                    PreLoaderFile, AMD29F0x0LoaderFile, AMD29F0x0ApplFile,
                    AMD29F0x0ApplFileOffset, AT45D0x1LoaderFile, AT45D0x1ApplFile,
                    AT45D0x1ApplFileOffset, C167LoaderFile, C168LoaderFile, C167ApplFile,
                    C167ApplFileOffset, DS1994LoaderFile, DS1994ApplFile, DS1994ApplFileOffset,
                    ProcessorCode, ResetSequence, RunSequence)
           == std::tie(o.Name, o.COMPort, o.COMDTREnable, o.COMHandshaking, o.COMInBufferSize,
                       o.COMOutBufferSize, o.COMNullDiscard, o.COMSettings, o.IndBusy, o.IndFail,
                       o.PreLoaderFile, o.AMD29F0x0LoaderFile, o.AMD29F0x0ApplFile,
                       o.AMD29F0x0ApplFileOffset, o.AT45D0x1LoaderFile, o.AT45D0x1ApplFile,
                       o.AT45D0x1ApplFileOffset, o.C167LoaderFile, o.C168LoaderFile,
                       o.C167ApplFile, o.C167ApplFileOffset, o.DS1994LoaderFile,
                       o.DS1994ApplFile, o.DS1994ApplFileOffset, o.ProcessorCode,
                       o.ResetSequence, o.RunSequence);
}

}  // namespace zandor::profiles
