#include "WindowProtocolView.h"

#include "protocol/FailureText.h"
#include "protocol/TargetOperations.h"

namespace zandor::app {

void WindowProtocolView::onStep(const protocol::StepEvent& event)
{
    // The identification shows no text of its own: panel 1 keeps the last step's.
    if (!event.statusText.isEmpty())
        surface_.setStatusText(event.statusText);
}

void WindowProtocolView::onProgress(const protocol::ProgressEvent& event)
{
    surface_.setPercent(event.percent, event.percentText);
}

void WindowProtocolView::onReply(const protocol::ReplyEvent& event)
{
    surface_.messageBox(protocol::TargetReplyText(event.reply), MessageIcon::Exclamation);
}

void WindowProtocolView::onFault(const protocol::FaultEvent& event)
{
    lastFault_ = event;
    surface_.messageBox(event.text, event.withIcon ? MessageIcon::Exclamation : MessageIcon::None);
}

void WindowProtocolView::onStepEnd(const protocol::StepEndEvent& event)
{
    const bool done = event.outcome == protocol::Outcome::Done;
    if (!done)
        lastFailure_ = event;
    if (event.phase == protocol::Phase::Identify)
        answeredChip_ = event.chip;
    // A failed identification is the caller's to report (Reset shows the not-responding box).
    if (event.phase == protocol::Phase::Identify)
        return;
    if (event.outcome == protocol::Outcome::Interrupted) {
        // Stopped at the user's request: no fault of the target, but the memory may be half
        // written, which the panel says.
        surface_.setStatusText(surface_.statusText() + QStringLiteral(" (") + protocol::StoppedText(event, protocol::Framing::Window)
                               + QLatin1Char(')') + kStoppedSuffix);
        return;
    }
    // A bad file has had its own box: the target is not at fault.
    if (!done && event.outcome != protocol::Outcome::BadInput)
        surface_.notRespondingBox();
    surface_.setStatusText(surface_.statusText() + (done ? kDoneSuffix : kErrorSuffix));
}

void WindowProtocolView::beginCommand()
{
    lastFault_.reset();
    lastFailure_.reset();
    answeredChip_.reset();
}

QString WindowFailureText(const protocol::StepEndEvent& end, const profiles::ProfileData& profile)
{
    switch (end.outcome) {
    case protocol::Outcome::Done:
    case protocol::Outcome::BadInput:
    case protocol::Outcome::Interrupted:
        return QString();
    default:
        protocol::FailureContext context;
        context.framing = protocol::Framing::Window;
        return protocol::FailureText(end, profile, context);
    }
}

}  // namespace zandor::app

