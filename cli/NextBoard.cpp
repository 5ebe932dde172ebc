#include "NextBoard.h"

#include "Interrupt.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <cstdio>

namespace zandor::cli {

namespace {

struct NextBoardRow {
    const char* word;
    NextBoardSignal signal;
    const char* prompt;
};

const NextBoardRow kNextBoardRows[] = {
    {"adapter", NextBoardSignal::Adapter, "unplug the board's adapter and plug in the next board's"},
    {"dsr", NextBoardSignal::Dsr, "take the board out of the fixture and fit the next one (DSR)"},
    {"dcd", NextBoardSignal::Dcd, "take the board out of the fixture and fit the next one (DCD)"},
    {"cts", NextBoardSignal::Cts, "take the board out of the fixture and fit the next one (CTS)"},
    {"enter", NextBoardSignal::Enter, "fit the next board and press Enter"},
};

const NextBoardRow& RowOf(NextBoardSignal signal)
{
    for (const NextBoardRow& row : kNextBoardRows) {
        if (row.signal == signal)
            return row;
    }
    return kNextBoardRows[0];
}

bool PresenceOf(NextBoardSignal signal, const platform::ModemInputs& inputs)
{
    switch (signal) {
    case NextBoardSignal::Dsr:
        return inputs.dsr;
    case NextBoardSignal::Dcd:
        return inputs.dcd;
    case NextBoardSignal::Cts:
        return inputs.cts;
    default:
        return false;
    }
}

// Polls until `done` is true; false when Ctrl-C came first.
template <typename Done>
bool PollUntil(platform::IEventPump& pump, Done done)
{
    while (!InterruptRequested()) {
        if (done())
            return true;
        pump.waitForEvents(kNextBoardPollMs);
    }
    return false;
}

NextBoardWait WaitForPresence(NextBoardSignal signal, platform::ISerialPort& port, platform::IEventPump& pump)
{
    // The board taken out first, then the next one fitted. A line that cannot be read any
    // more means the port went: the probes that follow wait for it.
    bool lost = false;
    auto present = [&](bool wanted) {
        platform::IModemLines* lines = port.modemLines();
        QString reason;
        const auto inputs = lines ? lines->readInputs(&reason) : std::nullopt;
        lost = !inputs;
        return lost || PresenceOf(signal, *inputs) == wanted;
    };
    if (!PollUntil(pump, [&] { return present(false); }))
        return NextBoardWait::Interrupted;
    if (lost)
        return NextBoardWait::Changed;
    return PollUntil(pump, [&] { return present(true); }) ? NextBoardWait::Changed : NextBoardWait::Interrupted;
}

NextBoardWait WaitForAdapter(platform::ISerialPort& port, platform::IEventPump& pump, const QString& device)
{
    if (!PollUntil(pump, [&] { return !QFileInfo::exists(device) || port.hasFailed(); }))
        return NextBoardWait::Interrupted;
    port.close();  // opened again by the probes once the next adapter is there
    return PollUntil(pump, [&] { return QFileInfo::exists(device); }) ? NextBoardWait::Changed
                                                                      : NextBoardWait::Interrupted;
}

NextBoardWait WaitForEnter(platform::IEventPump& pump)
{
    QSocketNotifier notifier(fileno(stdin), QSocketNotifier::Read);
    bool ready = false;
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        ready = true;
        notifier.setEnabled(false);
    });
    if (!PollUntil(pump, [&] { return ready; }))
        return NextBoardWait::Interrupted;
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly | QIODevice::Unbuffered))
        return NextBoardWait::Ended;
    return input.readLine().isEmpty() ? NextBoardWait::Ended : NextBoardWait::Changed;
}

}  // namespace

QString NextBoardChoices()
{
    QStringList words;
    for (const NextBoardRow& row : kNextBoardRows)
        words << QLatin1String(row.word);
    return words.join(QLatin1Char('|'));
}

std::optional<NextBoardSignal> ParseNextBoard(const QString& word)
{
    for (const NextBoardRow& row : kNextBoardRows) {
        if (word.compare(QLatin1String(row.word), Qt::CaseInsensitive) == 0)
            return row.signal;
    }
    return std::nullopt;
}

QString NextBoardPrompt(NextBoardSignal signal)
{
    return QString::fromUtf8(RowOf(signal).prompt);
}

NextBoardWait WaitForNextBoard(NextBoardSignal signal, platform::ISerialPort& port, platform::IEventPump& pump,
                               const QString& device)
{
    switch (signal) {
    case NextBoardSignal::Adapter:
        return WaitForAdapter(port, pump, device);
    case NextBoardSignal::Enter:
        return WaitForEnter(pump);
    default:
        return WaitForPresence(signal, port, pump);
    }
}

}  // namespace zandor::cli
