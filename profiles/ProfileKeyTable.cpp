#include "ProfileKeyTable.h"

namespace zandor::profiles {

namespace {

// Accessor lambdas without captures become the plain function pointers of the table.
#define ZANDOR_FIELD(Type, member) \
    static_cast<ProfileKey::Type>([](ProfileData& r) -> decltype(auto) { return (r.member); })

}  // namespace

const std::vector<ProfileKey>& ProfileKeyTable()
{
    static const std::vector<ProfileKey> table = {
        {"COMPort", ZANDOR_FIELD(Int16Field, COMPort)},
        {"COMDTREnable", ZANDOR_FIELD(BoolField, COMDTREnable)},
        {"COMHandshaking", ZANDOR_FIELD(BoolField, COMHandshaking)},
        {"COMInBufferSize", ZANDOR_FIELD(Int32Field, COMInBufferSize)},
        {"COMOutBufferSize", ZANDOR_FIELD(Int32Field, COMOutBufferSize)},
        {"COMNullDiscard", ZANDOR_FIELD(BoolField, COMNullDiscard)},
        {"COMSettings", ZANDOR_FIELD(TextField, COMSettings)},
        {"IndBusyDataAddr", ZANDOR_FIELD(TextField, IndBusy.DataAddr)},
        {"IndBusyDirAddr", ZANDOR_FIELD(TextField, IndBusy.DirAddr)},
        {"IndBusyOpenDrainAddr", ZANDOR_FIELD(TextField, IndBusy.OpenDrainAddr)},
        {"IndBusyMask", ZANDOR_FIELD(TextField, IndBusy.Mask)},
        {"IndBusyActLev", ZANDOR_FIELD(UInt8Field, IndBusy.ActLev)},
        {"IndFailDataAddr", ZANDOR_FIELD(TextField, IndFail.DataAddr)},
        {"IndFailDirAddr", ZANDOR_FIELD(TextField, IndFail.DirAddr)},
        {"IndFailOpenDrainAddr", ZANDOR_FIELD(TextField, IndFail.OpenDrainAddr)},
        {"IndFailMask", ZANDOR_FIELD(TextField, IndFail.Mask)},
        {"IndFailActLev", ZANDOR_FIELD(UInt8Field, IndFail.ActLev)},
        {"PreLoaderFile", ZANDOR_FIELD(TextField, PreLoaderFile)},
        {"AMD29F0x0LoaderFile", ZANDOR_FIELD(TextField, AMD29F0x0LoaderFile)},
        {"AMD29F0x0ApplFile", ZANDOR_FIELD(TextField, AMD29F0x0ApplFile)},
        {"AMD29F0x0ApplFileOffset", ZANDOR_FIELD(TextField, AMD29F0x0ApplFileOffset)},
        {"AT45D0x1LoaderFile", ZANDOR_FIELD(TextField, AT45D0x1LoaderFile)},
        {"AT45D0x1ApplFile", ZANDOR_FIELD(TextField, AT45D0x1ApplFile)},
        {"AT45D0x1ApplFileOffset", ZANDOR_FIELD(TextField, AT45D0x1ApplFileOffset)},
        {"C167LoaderFile", ZANDOR_FIELD(TextField, C167LoaderFile)},
        {"C168LoaderFile", ZANDOR_FIELD(TextField, C168LoaderFile)},
        {"C167ApplFile", ZANDOR_FIELD(TextField, C167ApplFile)},
        {"C167ApplFileOffset", ZANDOR_FIELD(TextField, C167ApplFileOffset)},
        {"DS1994LoaderFile", ZANDOR_FIELD(TextField, DS1994LoaderFile)},
        {"DS1994ApplFile", ZANDOR_FIELD(TextField, DS1994ApplFile)},
        {"DS1994ApplFileOffset", ZANDOR_FIELD(TextField, DS1994ApplFileOffset)},
        {"ProcessorCode", ZANDOR_FIELD(TextField, ProcessorCode)},
        {"ResetSequence", ZANDOR_FIELD(TextField, ResetSequence)},
        {"RunSequence", ZANDOR_FIELD(TextField, RunSequence)},
    };
    return table;
}

#undef ZANDOR_FIELD

}  // namespace zandor::profiles
