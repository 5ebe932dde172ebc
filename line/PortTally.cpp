#include "PortTally.h"

#include <QHash>

namespace zandor::line {

namespace {

// zandor-cli's exit codes the tiles tell apart.
constexpr int kExitSuccess = 0;
constexpr int kExitPortFailed = 3;  // the port cannot be opened: no adapter there
constexpr int kExitSomeBoardsFailed = 9;
constexpr int kExitInterrupted = 130;

QString Text(const QJsonObject& event, const char* key) { return event.value(QLatin1String(key)).toString(); }

bool IsBusy(TileState state) { return LookOf(state).busy; }

void BeginStep(PortTally& tally, TileState state, const QString& detail = QString())
{
    tally.state = state;
    tally.detail = detail;
    tally.percent = state == TileState::Downloading ? 0 : -1;
}

// One board ended: counted, shown, its serial number and time kept.
void EndBoard(PortTally& tally, const QJsonObject& event)
{
    const int code = event.value(QStringLiteral("exit_code")).toInt(-1);
    const QString message = Text(event, "message");
    if (event.contains(QStringLiteral("serial")))
        tally.lastSerial = event.value(QStringLiteral("serial")).toVariant().toString();
    if (code == kExitSuccess) {
        ++tally.done;
        tally.state = TileState::Done;
        tally.detail.clear();
    } else {
        ++tally.failed;
        tally.state = code == kExitInterrupted ? TileState::Stopped : TileState::Failed;
        tally.detail = message.isEmpty() ? tally.failure : message;
    }
    tally.lastSeconds = event.value(QStringLiteral("seconds")).toDouble();
    tally.percent = -1;
    tally.failure.clear();
}

void OnStep(PortTally& tally, const QJsonObject& event)
{
    static const QHash<QString, TileState> kPhases = {
        {QStringLiteral("identify"), TileState::Identifying}, {QStringLiteral("preloader"), TileState::Loading},
        {QStringLiteral("loader"), TileState::Loading},       {QStringLiteral("erase"), TileState::Erasing},
        {QStringLiteral("download"), TileState::Downloading},
    };
    const TileState state = kPhases.value(Text(event, "phase"), TileState::Identifying);
    const QString detail = event.contains(QStringLiteral("bank"))
                               ? QStringLiteral("bank %1").arg(event.value(QStringLiteral("bank")).toInt())
                               : QString();
    if (state != tally.state || detail != tally.detail)
        BeginStep(tally, state, detail);
}

void OnProgress(PortTally& tally, const QJsonObject& event)
{
    if (tally.state != TileState::Downloading)
        BeginStep(tally, TileState::Downloading);
    tally.percent = event.value(QStringLiteral("percent")).toInt();
}

void OnStepEnd(PortTally& tally, const QJsonObject& event)
{
    if (Text(event, "outcome") != QLatin1String("done"))
        tally.failure = Text(event, "message");
}

// Loop: one board of many ended.
void OnBoard(PortTally& tally, const QJsonObject& event) { EndBoard(tally, event); }

void OnResult(PortTally& tally, const QJsonObject& event)
{
    tally.settled = true;
    const int code = event.value(QStringLiteral("exit_code")).toInt(-1);
    if (event.value(QStringLiteral("boards")).isDouble()) {  // the end of a loop: its boards are counted
        if (code == kExitSuccess || code == kExitSomeBoardsFailed || code == kExitInterrupted) {
            if (IsBusy(tally.state) || tally.state == TileState::WaitingBoard || tally.state == TileState::Ready)
                BeginStep(tally, TileState::Stopped);
        } else {
            BeginStep(tally, TileState::Failed, Text(event, "message"));
        }
        return;
    }
    if (code == kExitPortFailed && !IsBusy(tally.state)) {
        BeginStep(tally, TileState::NoAdapter, Text(event, "message"));
        return;
    }
    if (code == kExitInterrupted && !IsBusy(tally.state)) {
        BeginStep(tally, TileState::Stopped);
        return;
    }
    EndBoard(tally, event);
}

// The events zandor-cli announces as text today; used once it sends them:
// {"event":"waiting","for":"adapter"|"board"} and {"event":"board_detected"}.
void OnWaiting(PortTally& tally, const QJsonObject& event)
{
    const bool adapter = Text(event, "for") == QLatin1String("adapter");
    BeginStep(tally, adapter ? TileState::WaitingAdapter : TileState::WaitingBoard,
              adapter ? Text(event, "message") : QString());
}

void OnBoardDetected(PortTally& tally, const QJsonObject&) { BeginStep(tally, TileState::Identifying); }

void OnSerial(PortTally& tally, const QJsonObject& event)
{
    tally.lastSerial = event.value(QStringLiteral("serial")).toVariant().toString();
}

using EventRule = void (*)(PortTally&, const QJsonObject&);
// The event → tile mapping. "reply", "fault", "info" and "error" change no tile: the reply
// and fault reach it through the step end's message, the texts go to the log lines.
const QHash<QString, EventRule>& EventRules()
{
    static const QHash<QString, EventRule> rules = {
        {QStringLiteral("step"), OnStep},
        {QStringLiteral("progress"), OnProgress},
        {QStringLiteral("step_end"), OnStepEnd},
        {QStringLiteral("board"), OnBoard},
        {QStringLiteral("result"), OnResult},
        {QStringLiteral("waiting"), OnWaiting},
        {QStringLiteral("board_detected"), OnBoardDetected},
        {QStringLiteral("serial"), OnSerial},
    };
    return rules;
}

}  // namespace

StateLook LookOf(TileState state)
{
    struct Row {
        TileState state;
        const char* words;
        const char* colour;
        bool busy;
    };
    static const Row kLooks[] = {
        {TileState::Ready, "Ready", "#d9dde3", false},
        {TileState::WaitingAdapter, "Waiting for the adapter", "#f5c48a", false},
        {TileState::NoAdapter, "No adapter", "#f5c48a", false},
        {TileState::WaitingBoard, "Waiting for a board", "#d9dde3", false},
        {TileState::Identifying, "Identifying", "#a9cdf5", true},
        {TileState::Loading, "Starting the loader", "#a9cdf5", true},
        {TileState::Erasing, "Erasing", "#f7e08a", true},
        {TileState::Downloading, "Downloading", "#f7e08a", true},
        {TileState::Done, "Done", "#8fd694", false},
        {TileState::Failed, "FAILED", "#f08c8c", false},
        {TileState::Stopped, "Stopped", "#c8c8c8", false},
    };
    for (const Row& row : kLooks) {
        if (row.state == state)
            return {QLatin1String(row.words), QColor(QLatin1String(row.colour)), row.busy};
    }
    return {QStringLiteral("?"), QColor(Qt::white), false};
}

void ApplyEvent(PortTally& tally, const QJsonObject& event)
{
    if (const EventRule rule = EventRules().value(Text(event, "event")))
        rule(tally, event);
}

void ApplySummaryRow(PortTally& tally, const QJsonObject& row)
{
    if (tally.settled)
        return;
    QJsonObject result = row;
    result.insert(QStringLiteral("event"), QStringLiteral("result"));
    OnResult(tally, result);
}

void SettleUnfinished(PortTally& tally, bool stopped)
{
    if (tally.settled)
        return;
    tally.settled = true;
    if (IsBusy(tally.state) && !stopped) {
        ++tally.failed;
        BeginStep(tally, TileState::Failed, QStringLiteral("the programming process ended before this board's result"));
    } else if (IsBusy(tally.state) || tally.state == TileState::WaitingBoard || tally.state == TileState::WaitingAdapter) {
        BeginStep(tally, TileState::Stopped);
    }
}

QString StateLine(const PortTally& tally)
{
    QString line = LookOf(tally.state).words;
    if (tally.state == TileState::Erasing && !tally.detail.isEmpty())
        line += QLatin1Char(' ') + tally.detail;
    if (tally.state == TileState::Downloading && tally.percent >= 0)
        line += QStringLiteral(" %1 %").arg(tally.percent);
    return line;
}

}  // namespace zandor::line
