#include "ProtocolEvents.h"

namespace zandor::protocol {

QString PhaseName(Phase phase)
{
    switch (phase) {
    case Phase::Identify:
        return QStringLiteral("identify");
    case Phase::PreLoader:
        return QStringLiteral("preloader");
    case Phase::Reload:
        return QStringLiteral("reload");
    case Phase::Loader:
        return QStringLiteral("loader");
    case Phase::Erase:
        return QStringLiteral("erase");
    case Phase::Download:
        return QStringLiteral("download");
    }
    return QString();
}

QString OutcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Done:
        return QStringLiteral("done");
    case Outcome::BadInput:
        return QStringLiteral("bad input");
    case Outcome::NoTarget:
        return QStringLiteral("no target");
    case Outcome::WrongTarget:
        return QStringLiteral("wrong target");
    case Outcome::NotAcknowledged:
        return QStringLiteral("not acknowledged");
    case Outcome::Refused:
        return QStringLiteral("refused");
    case Outcome::LineFailed:
        return QStringLiteral("line failed");
    case Outcome::Interrupted:
        return QStringLiteral("interrupted");
    }
    return QString();
}

}  // namespace zandor::protocol
