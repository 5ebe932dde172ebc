#pragma once

// How zandor-cli shows a run: lines on standard error for people (one updating progress
// line on a terminal, a line every 10 % otherwise, errors only with --quiet), or one JSON
// object per line on standard output for scripts (--json).

#include "CliOptions.h"
#include "protocol/ProtocolEvents.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace zandor::cli {

// Without a terminal a log gets one plain progress line per 10 %. The steps count whole
// percents sent (not the rounded figure), so the 100 % line comes with the last byte.
class PlainProgressSteps {
public:
    void restart() { nextTenth_ = 1; }
    // True when `bytes` of `total` reach the next step (which then moves on).
    bool reached(qint64 bytes, qint64 total);

private:
    int nextTenth_ = 1;
};

class ConsoleReporter : public protocol::IProtocolObserver {
public:
    struct Style {
        bool json = false;
        bool quiet = false;
        bool terminal = false;  // standard error is a terminal: the progress line updates in place
        QString port;           // set: every JSON event carries it as "port"
    };
    explicit ConsoleReporter(Style style);

    void onStep(const protocol::StepEvent& event) override;
    void onProgress(const protocol::ProgressEvent& event) override;
    void onReply(const protocol::ReplyEvent& event) override;
    void onFault(const protocol::FaultEvent& event) override;
    void onStepEnd(const protocol::StepEndEvent& event) override;

    // The port every JSON event names from now on.
    void setPort(const QString& port) { style_.port = port; }

    // A line for people (not with --quiet), or {"event":"info","text":...}.
    void info(const QString& text);
    // An error line, shown even with --quiet, or {"event":"error","text":...}.
    void error(const QString& text);
    // One JSON event (with "port" added), or nothing for people.
    void event(QJsonObject object);
    // The last line of every run: {"event":"result","exit_code":...} or, for people, the
    // message of a failure.
    void result(int exitCode, const QString& message, double seconds, QJsonObject extra = {});

    // The last step end that was not Done, for the run's message.
    const protocol::StepEndEvent& lastFailure() const { return lastFailure_; }
    bool jsonOutput() const { return style_.json; }
    // The blank records the last download left off the line.
    int downloadSkippedRecords() const { return downloadSkipped_; }
    // The byte the board answered the last identification with, when one came.
    std::optional<std::uint8_t> answeredChip() const { return answeredChip_; }
    // Whether a step of `phase` started: an erase without one sent nothing to the board.
    bool stepStarted(protocol::Phase phase) const { return phasesStarted_.contains(int(phase)); }

private:
    void line(const QString& text);
    void endProgressLine();
    void showProgressBar(const protocol::ProgressEvent& event);

    Style style_;
    protocol::StepEndEvent lastFailure_;
    std::optional<std::uint8_t> answeredChip_;
    int downloadSkipped_ = 0;
    QElapsedTimer downloadClock_;
    qint64 lastBarMs_ = -1;
    PlainProgressSteps plainSteps_;
    QSet<int> phasesStarted_;
    bool progressOpen_ = false;  // a progress line without its line end stands on the terminal
};

// The style of this run's output: JSON, quiet, and whether standard error is a terminal.
ConsoleReporter::Style OutputStyle(const CliOptions& options);

// Writes bytes to a stream at once (flushed), so lines of several processes never wait
// in a buffer.
void WriteNow(std::FILE* stream, const QByteArray& bytes);
// A result for standard output: text, or one compact JSON object and a line end.
void PrintOut(const QString& text);
void WriteJsonLine(const QJsonObject& object);

}  // namespace zandor::cli
