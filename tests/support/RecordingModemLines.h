#pragma once

#include "platform/IEventPump.h"
#include "platform/IModemLines.h"

#include <QStringList>

namespace zandor::testing {

// Records each line change with the pump's clock ("1050 rts=0"); can refuse one line like
// a driver without it, and hands back whatever inputs the test sets.
class RecordingModemLines : public platform::IModemLines {
public:
    explicit RecordingModemLines(platform::IEventPump& pump) : pump_(pump) {}

    bool setDtr(bool asserted, QString* reason) override { return set("dtr", asserted, reason); }
    bool setRts(bool asserted, QString* reason) override { return set("rts", asserted, reason); }
    std::optional<platform::ModemInputs> readInputs(QString*) override { return inputs; }

    QStringList changes;
    QString refused;  // "rts": setting RTS fails
    platform::ModemInputs inputs;

private:
    bool set(const char* line, bool asserted, QString* reason)
    {
        if (refused == QLatin1String(line)) {
            *reason = QStringLiteral("no modem lines");
            return false;
        }
        changes << QStringLiteral("%1 %2=%3").arg(pump_.nowMilliseconds()).arg(QLatin1String(line)).arg(asserted);
        return true;
    }
    platform::IEventPump& pump_;
};

}  // namespace zandor::testing
