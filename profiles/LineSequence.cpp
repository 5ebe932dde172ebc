#include "LineSequence.h"

#include <QRegularExpression>
#include <QStringList>
#include <array>

namespace zandor::profiles {

namespace {

// One row per step name: parsing, the choices and the canonical text come from here.
struct StepRow {
    const char* name;
    LineStep::Kind kind;
    SequenceLine line;  // SetLine rows only
};

constexpr std::array<StepRow, 3> kSteps{{
    {"dtr", LineStep::Kind::SetLine, SequenceLine::Dtr},
    {"rts", LineStep::Kind::SetLine, SequenceLine::Rts},
    {"wait", LineStep::Kind::Wait, SequenceLine::Dtr},
}};

constexpr const char* kAsserted = "on";
constexpr const char* kReleased = "off";
constexpr char kValueSeparator = '=';
constexpr int kHandshakingRtsCts = 2;
constexpr int kHandshakingBoth = 3;

QString RowChoices(const StepRow& row)
{
    const QString name = QString::fromLatin1(row.name);
    if (row.kind == LineStep::Kind::Wait)
        return QStringLiteral("%1=MS (MS from %2 to %3)").arg(name).arg(kLineWaitMinMilliseconds).arg(kLineWaitMaxMilliseconds);
    return QStringLiteral("%1=%2, %1=%3").arg(name, QLatin1String(kAsserted), QLatin1String(kReleased));
}

std::optional<LineStep> Fail(QString* fault, const QString& text)
{
    if (fault)
        *fault = text;
    return std::nullopt;
}

std::optional<LineStep> ParseStep(const QString& word, QString* fault)
{
    const QString lower = word.toLower();
    const QString name = lower.section(kValueSeparator, 0, 0);
    const QString value = lower.section(kValueSeparator, 1);
    for (const StepRow& row : kSteps) {
        if (name != QLatin1String(row.name) || !lower.contains(kValueSeparator))
            continue;
        LineStep step;
        step.kind = row.kind;
        if (row.kind == LineStep::Kind::SetLine) {
            step.line = row.line;
            if (value == QLatin1String(kAsserted))
                step.asserted = true;
            else if (value != QLatin1String(kReleased))
                break;
            return step;
        }
        static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
        if (!digits.match(value).hasMatch())
            break;
        step.milliseconds = value.toInt();
        if (step.milliseconds > kLineWaitMaxMilliseconds) {
            return Fail(fault, QStringLiteral("The step \"%1\" waits longer than %2 ms, the longest wait a "
                                              "sequence takes.")
                                   .arg(word)
                                   .arg(kLineWaitMaxMilliseconds));
        }
        return step;
    }
    return Fail(fault, QStringLiteral("The step \"%1\" is not one of %2.").arg(word, LineStepChoices()));
}

}  // namespace

QString LineStepChoices()
{
    QStringList choices;
    for (const StepRow& row : kSteps)
        choices << RowChoices(row);
    return choices.join(QStringLiteral(", "));
}

std::optional<LineSequence> ParseLineSequence(const QString& text, QString* fault)
{
    LineSequence steps;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (const QString& word : text.split(blanks, Qt::SkipEmptyParts)) {
        const auto step = ParseStep(word, fault);
        if (!step)
            return std::nullopt;
        steps.append(*step);
    }
    return steps;
}

QString LineStepText(const LineStep& step)
{
    for (const StepRow& row : kSteps) {
        if (row.kind != step.kind || (row.kind == LineStep::Kind::SetLine && row.line != step.line))
            continue;
        const QString value = row.kind == LineStep::Kind::Wait
                                  ? QString::number(step.milliseconds)
                                  : QLatin1String(step.asserted ? kAsserted : kReleased);
        return QStringLiteral("%1%2%3").arg(QLatin1String(row.name)).arg(kValueSeparator).arg(value);
    }
    return QString();
}

QString LineSequenceText(const LineSequence& steps)
{
    QStringList words;
    for (const LineStep& step : steps)
        words << LineStepText(step);
    return words.join(QLatin1Char(' '));
}

QString LineSequenceHandshakingFault(const LineSequence& steps, int handshaking)
{
    if (handshaking != kHandshakingRtsCts && handshaking != kHandshakingBoth)
        return QString();
    for (const LineStep& step : steps) {
        if (step.kind == LineStep::Kind::SetLine && step.line == SequenceLine::Rts) {
            return QStringLiteral("The step \"%1\" cannot run while the profile uses RTS/CTS handshaking: the "
                                  "port drives RTS itself. Wire the reset to DTR or turn the handshaking off.")
                .arg(LineStepText(step));
        }
    }
    return QString();
}

QString SequenceRoleName(SequenceRole role)
{
    return role == SequenceRole::Reset ? QStringLiteral("reset sequence") : QStringLiteral("run sequence");
}

CheckedLineSequence CheckLineSequence(SequenceRole role, const QString& text, int handshaking)
{
    CheckedLineSequence checked;
    QString fault;
    const auto steps = ParseLineSequence(text, &fault);
    if (steps)
        fault = LineSequenceHandshakingFault(*steps, handshaking);
    if (!fault.isEmpty()) {
        checked.fault = QStringLiteral("The profile's %1 cannot run, so nothing was sent. %2")
                            .arg(SequenceRoleName(role), fault);
        return checked;
    }
    checked.steps = *steps;
    return checked;
}

}  // namespace zandor::profiles
