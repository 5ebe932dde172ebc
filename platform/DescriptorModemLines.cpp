#include "DescriptorModemLines.h"

#include <cerrno>
#include <cstring>
#include <sys/ioctl.h>
#include <termios.h>
#include <utility>

namespace zandor::platform {

namespace {

void SetReason(QString* reason, const QString& text)
{
    if (reason)
        *reason = text;
}

// Why a modem-line request failed, with the fix where there is one.
QString ModemFailureText(const QString& device, const char* what, int error)
{
    if (error == ENOTTY || error == EINVAL) {
        return QStringLiteral("The driver of %1 has no modem lines, so %2 cannot be set or read (a "
                              "pseudo-terminal or a three-wire adapter). Use an adapter with DTR and RTS, "
                              "or remove the sequence from the profile.")
            .arg(device, QLatin1String(what));
    }
    if (error == EBADF || error == EIO || error == ENODEV || error == ENXIO)
        return QStringLiteral("%1 has gone away: %2 cannot be set or read.").arg(device, QLatin1String(what));
    return QStringLiteral("%1 refused to set or read %2: %3.")
        .arg(device, QLatin1String(what), QString::fromLocal8Bit(std::strerror(error)));
}

}  // namespace

DescriptorModemLines::DescriptorModemLines(int descriptor, QString device)
    : descriptor_(descriptor), device_(std::move(device))
{
}

bool DescriptorModemLines::setLine(int bit, const char* name, bool asserted, QString* reason)
{
    int bits = bit;
    int result;
    do
        result = ::ioctl(descriptor_, asserted ? TIOCMBIS : TIOCMBIC, &bits);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        SetReason(reason, ModemFailureText(device_, name, errno));
        return false;
    }
    return true;
}

bool DescriptorModemLines::setDtr(bool asserted, QString* reason)
{
    return setLine(TIOCM_DTR, "DTR", asserted, reason);
}

bool DescriptorModemLines::setRts(bool asserted, QString* reason)
{
    return setLine(TIOCM_RTS, "RTS", asserted, reason);
}

std::optional<ModemInputs> DescriptorModemLines::readInputs(QString* reason)
{
    int bits = 0;
    if (::ioctl(descriptor_, TIOCMGET, &bits) != 0) {
        SetReason(reason, ModemFailureText(device_, "DSR, DCD and CTS", errno));
        return std::nullopt;
    }
    return ModemInputs{(bits & TIOCM_DSR) != 0, (bits & TIOCM_CAR) != 0, (bits & TIOCM_CTS) != 0};
}

bool ClearHangUpOnClose(int descriptor, const QString& device, QString* reason)
{
    termios settings;
    if (::tcgetattr(descriptor, &settings) != 0) {
        SetReason(reason, ModemFailureText(device, "the hang-up-on-close flag", errno));
        return false;
    }
    if (!(settings.c_cflag & HUPCL))
        return true;
    settings.c_cflag &= ~tcflag_t(HUPCL);
    if (::tcsetattr(descriptor, TCSANOW, &settings) != 0) {
        SetReason(reason, ModemFailureText(device, "the hang-up-on-close flag", errno));
        return false;
    }
    return true;
}

std::optional<bool> HangUpOnClose(int descriptor)
{
    termios settings;
    if (::tcgetattr(descriptor, &settings) != 0)
        return std::nullopt;
    return (settings.c_cflag & HUPCL) != 0;
}

}  // namespace zandor::platform
