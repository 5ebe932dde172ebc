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
    // A board whose reset or boot pin hangs on DTR or RTS must keep the levels a sequence
    // left when the port closes: dropping them would reset it, or undo the run sequence.
    settings.keepLinesAtClose =
        !profile.ResetSequence.trimmed().isEmpty() || !profile.RunSequence.trimmed().isEmpty();
    return settings;
}

CheckedLineSequence ProfileLineSequence(const ProfileData& profile, SequenceRole role)
{
    const QString& text = role == SequenceRole::Reset ? profile.ResetSequence : profile.RunSequence;
    return CheckLineSequence(role, text, PortSettingsFromProfile(profile).handshaking);
}

}  // namespace zandor::profiles
