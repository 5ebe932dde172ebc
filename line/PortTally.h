#pragma once

// What one port's tile shows, kept up to date from the JSON events of the gang run:
// the state in words, its detail, the progress, and the boards done and failed.

#include <QColor>
#include <QJsonObject>
#include <QString>

namespace zandor::line {

enum class TileState {
    Ready,           // before the first event
    WaitingAdapter,  // the port cannot be opened, zandor-cli waits for it
    NoAdapter,       // the port cannot be opened and nobody waits
    WaitingBoard,
    Identifying,
    Loading,         // pre-loader and loader
    Erasing,
    Downloading,
    Done,
    Failed,
    Stopped,
};

// How a state looks: its words (the state is always written, never only coloured), the
// tile's colour, and whether a board is being worked on.
struct StateLook {
    QString words;
    QColor colour;
    bool busy;
};
StateLook LookOf(TileState state);

struct PortTally {
    QString port;
    TileState state = TileState::Ready;
    QString detail;     // "bank 2", or the reason of a failure in one line
    int percent = -1;   // downloading: 0 to 100
    int done = 0;
    int failed = 0;
    QString lastSerial;
    double lastSeconds = -1;  // -1: no board yet
    bool settled = false;     // this port's run has ended (its result came)
    QString failure;          // the last step end that was not done, until the result
};

// Takes one event of this port ("port" already matched) into the tally.
void ApplyEvent(PortTally& tally, const QJsonObject& event);

// The gang run's summary: a board process that crashed has no result of its own, only its
// row here, which makes it that board's failure.
void ApplySummaryRow(PortTally& tally, const QJsonObject& row);

// The gang run ended without this port's result.
void SettleUnfinished(PortTally& tally, bool stopped);

// The state line of a tile: "Erasing bank 2", "Downloading 45 %", "Failed".
QString StateLine(const PortTally& tally);

}  // namespace zandor::line
