#include "ProfileSerialSettings.h"

namespace zandor::profiles {

platform::PortSettings PortSettingsFromProfile(const ProfileData& profile)
{
    platform::PortSettings settings;
    settings.portNumber = profile.COMPort;
    settings.dtrEnable = profile.COMDTREnable;
    settings.handshaking = profile.COMHandshaking ? kHandshakingFromTrue : kHandshakingFromFalse;
    settings.inBufferSize = profile.COMInBufferSize;
    settings.outBufferSize = profile.COMOutBufferSize;
    settings.nullDiscard = profile.COMNullDiscard;
    settings.settings = profile.COMSettings;
    return settings;
}

}  // namespace zandor::profiles
