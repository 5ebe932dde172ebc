#include "ConsoleReporter.h"

#include "protocol/ChipIdentification.h"
#include "protocol/FailureText.h"
#include "Interrupt.h"
#include "platform/TimeUnits.h"
#include "protocol/TargetOperations.h"

#include <QJsonDocument>
#include <unistd.h>

namespace zandor::cli {

namespace {

constexpr int kBarCells = 30;
constexpr qint64 kBarRefreshMs = 100;   // the terminal line is redrawn at most this often
constexpr int kPercentPerPlainLine = 10;
using platform::kMillisecondsPerSecond;
const QString kIdentifyText = QStringLiteral("Identifying the board");

QString StepText(const protocol::StepEvent& event)
{
    return event.statusText.isEmpty() ? kIdentifyText : event.statusText;
}

}  // namespace

ConsoleReporter::Style OutputStyle(const CliOptions& options)
{
    ConsoleReporter::Style style;
    style.json = options.json;
    style.quiet = options.quiet;
    style.terminal = ::isatty(STDERR_FILENO) == 1;
    return style;
}

void WriteNow(std::FILE* stream, const QByteArray& bytes)
{
    std::fflush(stream);  // anything printed before goes first
    WriteToOutput(::fileno(stream), bytes);
}

void PrintOut(const QString& text) { WriteNow(stdout, text.toLocal8Bit()); }

void WriteJsonLine(const QJsonObject& object)
{
    WriteNow(stdout, QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
}

bool PlainProgressSteps::reached(qint64 bytes, qint64 total)
{
    const qint64 wholePercent = total > 0 ? bytes * 100 / total : 100;
    if (wholePercent < nextTenth_ * kPercentPerPlainLine)
        return false;
    nextTenth_ = int(wholePercent / kPercentPerPlainLine) + 1;
    return true;
}

ConsoleReporter::ConsoleReporter(Style style) : style_(std::move(style)) {}

void ConsoleReporter::line(const QString& text)
{
    endProgressLine();
    WriteNow(stderr, text.toLocal8Bit() + '\n');
}

void ConsoleReporter::endProgressLine()
{
    if (progressOpen_)
        WriteNow(stderr, "\n");
    progressOpen_ = false;
    SetProgressLineOpen(false);
}

void ConsoleReporter::event(QJsonObject object)
{
    if (!style_.json)
        return;
    if (!style_.port.isEmpty())
        object.insert(QStringLiteral("port"), style_.port);
    WriteJsonLine(object);
}

void ConsoleReporter::info(const QString& text)
{
    if (style_.json)
        event({{"event", "info"}, {"text", text}});
    else if (!style_.quiet)
        line(text);
}

void ConsoleReporter::error(const QString& text)
{
    if (style_.json)
        event({{"event", "error"}, {"text", text}});
    else
        line(QStringLiteral("zandor-cli: ") + text);
}

void ConsoleReporter::onStep(const protocol::StepEvent& step)
{
    phasesStarted_.insert(int(step.phase));
    if (step.phase == protocol::Phase::Download) {
        downloadClock_.start();
        lastBarMs_ = -1;
        plainSteps_.restart();
    }
    QJsonObject object{{"event", "step"}, {"phase", protocol::PhaseName(step.phase)}, {"text", StepText(step)}};
    if (step.bank >= 0)
        object.insert(QStringLiteral("bank"), step.bank);
    if (!step.file.isEmpty())
        object.insert(QStringLiteral("file"), step.file);
    event(object);
    if (!style_.json && !style_.quiet)
        line(StepText(step));
}

void ConsoleReporter::onProgress(const protocol::ProgressEvent& progress)
{
    if (style_.json) {  // once per record: built only when it is written
        QJsonObject object{{"event", "progress"},   {"percent", progress.percent},
                           {"bytes", progress.bytes}, {"total", progress.total},
                           {"record", progress.record}, {"records", progress.records}};
        if (progress.hasAddress)
            object.insert(QStringLiteral("address"), protocol::AddressText(progress.address));
        event(object);
        return;
    }
    if (style_.quiet)
        return;
    if (style_.terminal) {
        showProgressBar(progress);
        return;
    }
    if (plainSteps_.reached(progress.bytes, progress.total))
        line(QStringLiteral("download: %1 (%2 of %3 bytes)").arg(progress.percentText).arg(progress.bytes).arg(progress.total));
}

void ConsoleReporter::showProgressBar(const protocol::ProgressEvent& progress)
{
    const qint64 elapsedMs = downloadClock_.elapsed();
    const bool last = progress.bytes >= progress.total;
    if (!last && lastBarMs_ >= 0 && elapsedMs - lastBarMs_ < kBarRefreshMs)
        return;
    lastBarMs_ = elapsedMs;
    const int filled = progress.total > 0 ? int(qint64(kBarCells) * progress.bytes / progress.total) : kBarCells;
    const double seconds = elapsedMs / kMillisecondsPerSecond;
    const double rate = seconds > 0 ? progress.bytes / seconds : 0;
    const QString left = rate > 0 ? QStringLiteral("%1 s left").arg(qRound((progress.total - progress.bytes) / rate))
                                  : QString();
    const QString bar = QStringLiteral("\r[%1%2] %3 %4/%5 bytes %6 B/s %7\x1b[K")
                            .arg(QString(filled, QLatin1Char('#')), QString(kBarCells - filled, QLatin1Char('-')))
                            .arg(progress.percentText, 4)
                            .arg(progress.bytes)
                            .arg(progress.total)
                            .arg(qRound(rate))
                            .arg(left);
    WriteNow(stderr, bar.toLocal8Bit());
    progressOpen_ = true;
    SetProgressLineOpen(true);
}

void ConsoleReporter::onReply(const protocol::ReplyEvent& reply)
{
    event({{"event", "reply"},
           {"phase", protocol::PhaseName(reply.phase)},
           {"reply", QString::fromLatin1(reply.reply.toHex(' ').toUpper())},
           {"text", protocol::TargetReplyText(reply.reply)}});
}

void ConsoleReporter::onFault(const protocol::FaultEvent& fault)
{
    QJsonObject object{{"event", "fault"}, {"phase", protocol::PhaseName(fault.phase)}, {"text", fault.text}};
    if (!fault.file.isEmpty())
        object.insert(QStringLiteral("file"), fault.file);
    if (fault.line > 0)
        object.insert(QStringLiteral("line"), fault.line);
    event(object);
}

void ConsoleReporter::onStepEnd(const protocol::StepEndEvent& end)
{
    if (end.outcome != protocol::Outcome::Done)
        lastFailure_ = end;
    if (end.phase == protocol::Phase::Download)
        downloadSkipped_ = end.skippedRecords;
    QJsonObject object{{"event", "step_end"},
                       {"phase", protocol::PhaseName(end.phase)},
                       {"outcome", protocol::OutcomeName(end.outcome)}};
    if (end.outcome != protocol::Outcome::Done)
        object.insert(QStringLiteral("message"), protocol::FailureText(end));
    if (end.phase == protocol::Phase::Identify && end.chip) {
        answeredChip_ = end.chip;
        object.insert(QStringLiteral("chip"), protocol::ChipByteText(*end.chip));
        object.insert(QStringLiteral("chip_name"), protocol::IdentificationMeaning(*end.chip));
    }
    event(object);
    endProgressLine();
}

void ConsoleReporter::result(int exitCode, const QString& message, double seconds, QJsonObject extra)
{
    if (style_.json) {
        extra.insert(QStringLiteral("event"), QStringLiteral("result"));
        extra.insert(QStringLiteral("exit_code"), exitCode);
        extra.insert(QStringLiteral("message"), message);
        extra.insert(QStringLiteral("seconds"), qRound(seconds * kMillisecondsPerSecond) / kMillisecondsPerSecond);
        event(extra);
        return;
    }
    if (exitCode != 0)
        error(message);
    else if (!style_.quiet && !message.isEmpty())
        line(message);
}

}  // namespace zandor::cli
