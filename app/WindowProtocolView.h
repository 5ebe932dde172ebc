#pragma once

// Turns the protocol's events into what the main window shows: the step text in status
// bar panel 1 with ", Done" or ", Error" appended when the step ends, the percentage in
// panel 3, the reply explained in a box, and the not-responding box when the target
// did not answer a step. A step the user stopped ends in ", Stopped" and says what it had
// done. The last file fault and failed step of a command are kept for the window's panel 1.

#include "IStatusSurface.h"
#include "profiles/ProfileData.h"
#include "protocol/ProtocolEvents.h"

#include <cstdint>
#include <optional>

namespace zandor::app {

inline const QString kDoneSuffix = QStringLiteral(", Done");
inline const QString kErrorSuffix = QStringLiteral(", Error");
inline const QString kStoppedSuffix = QStringLiteral(", Stopped");

class WindowProtocolView : public protocol::IProtocolObserver {
public:
    explicit WindowProtocolView(IStatusSurface& surface) : surface_(surface) {}

    void onStep(const protocol::StepEvent& event) override;
    void onProgress(const protocol::ProgressEvent& event) override;
    void onReply(const protocol::ReplyEvent& event) override;
    void onFault(const protocol::FaultEvent& event) override;
    void onStepEnd(const protocol::StepEndEvent& event) override;

    // Forgets the last command's fault and failure; the window calls it as a command starts.
    void beginCommand();
    const std::optional<protocol::FaultEvent>& lastFault() const { return lastFault_; }
    const std::optional<protocol::StepEndEvent>& lastFailure() const { return lastFailure_; }
    // The byte the board answered this command's identification with, when one came.
    std::optional<std::uint8_t> answeredChip() const { return answeredChip_; }

private:
    IStatusSurface& surface_;
    std::optional<protocol::FaultEvent> lastFault_;
    std::optional<protocol::StepEndEvent> lastFailure_;
    std::optional<std::uint8_t> answeredChip_;
};

// Why a step failed, for panel 1's tooltip, in the protocol's words with the window's
// framing ("record 3 of 4 refused: ..."). Empty for Done, a file fault (its own text says
// more) and a stop (panel 1 says what was done).
QString WindowFailureText(const protocol::StepEndEvent& end, const profiles::ProfileData& profile);

}  // namespace zandor::app
