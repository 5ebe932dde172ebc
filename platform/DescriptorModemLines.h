#pragma once

// The modem lines of an open serial device, by its descriptor (the kernel's TIOCMBIS,
// TIOCMBIC and TIOCMGET). QtSerialPort hands its QSerialPort::handle() to one of these.

#include "IModemLines.h"

namespace zandor::platform {

class DescriptorModemLines : public IModemLines {
public:
    // `device` names the port in reasons; the descriptor stays the caller's.
    DescriptorModemLines(int descriptor, QString device);

    bool setDtr(bool asserted, QString* reason) override;
    bool setRts(bool asserted, QString* reason) override;
    std::optional<ModemInputs> readInputs(QString* reason) override;

private:
    bool setLine(int bit, const char* name, bool asserted, QString* reason);

    int descriptor_;
    QString device_;
};

// Clears the device's hang-up-on-close flag (HUPCL), so that closing the port leaves DTR
// and RTS as the last sequence set them: the board is neither reset by the close nor
// taken out of the state a run sequence left it in. False (reason set) when the device
// refuses. The flag stays cleared for later opens by any program until it is set again.
bool ClearHangUpOnClose(int descriptor, const QString& device, QString* reason);
// Whether the flag is set; nothing when the descriptor is no terminal.
std::optional<bool> HangUpOnClose(int descriptor);

}  // namespace zandor::platform
