#pragma once

// Turns the protocol's events into what the main window shows: the step text in status
// bar panel 1 with ", Done" or ", Error" appended when the step ends, the percentage in
// panel 3, the reply explained in a box, and the not-responding box when the target
// did not answer a step.

#include "IStatusSurface.h"
#include "protocol/ProtocolEvents.h"

namespace zandor::app {

inline const QString kDoneSuffix = QStringLiteral(", Done");
inline const QString kErrorSuffix = QStringLiteral(", Error");

class WindowProtocolView : public protocol::IProtocolObserver {
public:
    explicit WindowProtocolView(IStatusSurface& surface) : surface_(surface) {}

    void onStep(const protocol::StepEvent& event) override;
    void onProgress(const protocol::ProgressEvent& event) override;
    void onReply(const protocol::ReplyEvent& event) override;
    void onFault(const protocol::FaultEvent& event) override;
    void onStepEnd(const protocol::StepEndEvent& event) override;

private:
    IStatusSurface& surface_;
};

}  // namespace zandor::app
