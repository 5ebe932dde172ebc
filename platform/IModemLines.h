#pragma once

#include <QString>
#include <optional>

namespace zandor::platform {

// The levels of the lines a board or a fixture drives back to us.
struct ModemInputs {
    bool dsr = false;
    bool dcd = false;
    bool cts = false;
};

// The modem lines of the open serial port, for reset and boot-mode sequences and for a
// fixture that tells when a board is in place. "Asserted" is the line's logical state; on
// the usual adapters the pin is then low. Each call fails with a reason when the port's
// driver has no such lines (pseudo-terminals, three-wire adapters) or the port is gone.
class IModemLines {
public:
    virtual ~IModemLines() = default;

    virtual bool setDtr(bool asserted, QString* reason) = 0;
    virtual bool setRts(bool asserted, QString* reason) = 0;
    virtual std::optional<ModemInputs> readInputs(QString* reason) = 0;
};

}  // namespace zandor::platform
