#pragma once

#include "profiles/ProfileData.h"

namespace zandor::manager {

// What the profile manager needs of the main window: the profile in use, the caption
// refresh and the port reopening that follow an Apply.
class IProfileHost {
public:
    virtual ~IProfileHost() = default;
    virtual profiles::ProfileData& currentProfile() = 0;
    virtual void FormCaptionUpdate() = 0;
    // Closes the port if open, applies CurrentProfile's serial settings and opens it;
    // shows the "Comm port error." box itself when it cannot.
    virtual void OpenCommPort() = 0;
};

}  // namespace zandor::manager
