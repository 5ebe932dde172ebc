#pragma once

// A reset and boot-mode sequence on the port's DTR and RTS lines, as a profile stores it:
// whitespace-separated steps such as "dtr=on rts=on wait=50 rts=off wait=100". "on" means
// the line is asserted (on the usual adapters its pin is then low). Parsed once into steps;
// the text is kept only for the profile and for messages. Pure: no port is touched here.

#include <QList>
#include <QString>
#include <optional>

namespace zandor::profiles {

constexpr int kLineWaitMinMilliseconds = 0;
constexpr int kLineWaitMaxMilliseconds = 10000;  // a longer wait is a typo, not a board

enum class SequenceLine { Dtr, Rts };

struct LineStep {
    enum class Kind { SetLine, Wait };
    Kind kind = Kind::Wait;
    SequenceLine line = SequenceLine::Dtr;  // SetLine only
    bool asserted = false;                  // SetLine only
    int milliseconds = 0;                   // Wait only

    bool operator==(const LineStep& other) const
    {
        return kind == other.kind && line == other.line && asserted == other.asserted &&
               milliseconds == other.milliseconds;
    }
};
using LineSequence = QList<LineStep>;

// "dtr=on, dtr=off, rts=on, rts=off, wait=MS (MS from 0 to 10000)", from the step table.
QString LineStepChoices();

// The steps of `text` in order (either letter case; the empty text gives no steps).
// Nothing (fault set) at the first step that does not parse; the fault names that step.
std::optional<LineSequence> ParseLineSequence(const QString& text, QString* fault = nullptr);

// One step as it parses back ("rts=off", "wait=50").
QString LineStepText(const LineStep& step);
// The canonical text of a sequence: steps in lower case, one space apart.
QString LineSequenceText(const LineSequence& steps);

// Why the sequence cannot run with the profile's handshaking (0 none, 1 XON/XOFF,
// 2 RTS/CTS, 3 both): with RTS/CTS the port drives RTS itself, so a step on RTS would
// fight it. Empty when the two go together.
QString LineSequenceHandshakingFault(const LineSequence& steps, int handshaking);

// The two sequences a profile holds.
enum class SequenceRole {
    Reset,  // before every zero byte: puts the board into its bootstrap mode
    Run,    // after a successful programming run: starts the new application
};

// A profile's sequence as a run takes it: the steps, or why none of them may run.
struct CheckedLineSequence {
    LineSequence steps;  // empty: nothing to do, the lines keep their levels
    QString fault;       // the text does not parse or fights the handshaking; names the sequence and the step
};

// Parses `text` and checks it against the handshaking (as LineSequenceHandshakingFault).
CheckedLineSequence CheckLineSequence(SequenceRole role, const QString& text, int handshaking);
// "reset sequence", "run sequence".
QString SequenceRoleName(SequenceRole role);

}  // namespace zandor::profiles
