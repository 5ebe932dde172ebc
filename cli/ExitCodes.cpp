#include "ExitCodes.h"

namespace zandor::cli {

int ExitCodeFor(protocol::Phase phase, protocol::Outcome outcome)
{
    using protocol::Outcome;
    using protocol::Phase;
    switch (outcome) {
    case Outcome::Done:
        return kExitSuccess;
    case Outcome::BadInput:
        return kExitBadInput;
    case Outcome::NoTarget:
    case Outcome::WrongTarget:
        return kExitNoTarget;
    case Outcome::LineFailed:
        return kExitLineFailed;
    case Outcome::Interrupted:
        return kExitInterrupted;
    case Outcome::NotAcknowledged:
    case Outcome::Refused:
        break;
    }
    switch (phase) {
    case Phase::Identify:
        return kExitNoTarget;
    case Phase::PreLoader:
    case Phase::Reload:
    case Phase::Loader:
        return kExitLoaderFailed;
    case Phase::Erase:
        return kExitEraseFailed;
    case Phase::Download:
        return kExitDownloadFailed;
    }
    return kExitDownloadFailed;
}

QString ResultWord(int exitCode)
{
    if (exitCode == kExitSuccess)
        return QStringLiteral("ok");
    return exitCode == kExitInterrupted ? QStringLiteral("interrupted") : QStringLiteral("failed");
}

QString FailureKind(int exitCode)
{
    switch (exitCode) {
    case kExitSuccess:
        return QStringLiteral("ok");
    case kExitBadInput:
        return QStringLiteral("bad input");
    case kExitPortFailed:
        return QStringLiteral("port");
    case kExitNoTarget:
        return QStringLiteral("no target");
    case kExitLoaderFailed:
        return QStringLiteral("loader");
    case kExitEraseFailed:
        return QStringLiteral("erase");
    case kExitDownloadFailed:
        return QStringLiteral("download");
    case kExitLineFailed:
        return QStringLiteral("line");
    case kExitUnrecorded:
        return QStringLiteral("unrecorded");
    case kExitInterrupted:
        return QStringLiteral("interrupted");
    default:
        return QStringLiteral("failed");
    }
}

}  // namespace zandor::cli
