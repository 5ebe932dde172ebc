#pragma once

// What the protocol tells its front ends while it works: structured events through one
// observer, and a typed outcome for every operation. The window turns them into its
// status bar texts and message boxes, the command line into lines, JSON and exit codes.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace zandor::protocol {

enum class Phase {
    Identify,   // the zero byte and the bootstrap identification byte
    PreLoader,  // the pre-loader file, right after the identification
    Reload,     // the reload command to a running loader
    Loader,     // the loader's two memory images and its acknowledgement
    Erase,      // one erase command per bank
    Download,   // the application's records
};
// "identify", "preloader", "reload", "loader", "erase", "download".
QString PhaseName(Phase phase);

enum class Outcome {
    Done,
    BadInput,         // a file that cannot be sent as it is; nothing of it went out
    NoTarget,         // no identification byte within its limit (or the port is not open)
    WrongTarget,      // an identification byte other than the processor's
    NotAcknowledged,  // no reply within the limit
    Refused,          // a reply other than the acknowledgement
    LineFailed,       // the port went away under the operation (adapter unplugged)
    Interrupted,      // the user asked to stop; the last record or bank had been answered
};
// "done", "bad input", "no target", ...
QString OutcomeName(Outcome outcome);

// A step begins. statusText is the window's status text for it ("CPU: Erasing Bank 2 ...");
// the identification has none and leaves the status text as it is.
struct StepEvent {
    Phase phase = Phase::Identify;
    QString statusText;
    int bank = -1;  // erase: the bank
    QString file;        // the file the step sends, as the profile names it
};

// A record of the download has been written.
struct ProgressEvent {
    int percent = 0;      // 0 to 100, rounded half to even
    QString percentText;  // the progress as the status bar shows it, "42%"
    qint64 bytes = 0;     // file bytes counted as sent so far
    qint64 total = 0;     // the file's length
    int record = 0;       // 1-based number of the record just written (0: none, the closing update)
    int records = 0;      // records in the image
    bool skipped = false; // the record was blank and left off the line; it counts as done
    bool hasAddress = false;
    std::uint32_t address = 0;  // the record's target address
};

// The target answered something other than what the step waited for.
struct ReplyEvent {
    Phase phase = Phase::Identify;
    QByteArray reply;  // as read, first byte deciding
};

// A file cannot be used: which, where and why. Reported before anything of it is sent.
struct FaultEvent {
    Phase phase = Phase::Download;
    QString file;
    int line = 0;        // 1-based line of a text file, 0 when the fault is the whole file's
    QString text;        // the whole message, file and line included
    bool withIcon = true;  // false only for a loader address outside the loader images
};

// A step has ended. For a failure it says where: the bank, or the record and its address.
struct StepEndEvent {
    Phase phase = Phase::Identify;
    Outcome outcome = Outcome::Done;
    int bank = -1;
    int record = 0;        // the record that failed or was the last one sent
    int records = 0;
    bool hasAddress = false;
    std::uint32_t address = 0;
    int acknowledgedRecords = 0;  // records the target has acknowledged (skipped ones count as done)
    int skippedRecords = 0;       // the download: blank records left off the line
    std::uint32_t lastAcknowledgedAddress = 0;
    int limitTicks = 0;    // the reply limit that ran out, in ticks of 100 ms
    QByteArray reply;      // the refusal
    // The identification: the byte the board answered the zero byte with, accepted or not
    // (none when nothing came). Front ends name it from the identification table.
    std::optional<std::uint8_t> chip;
};

class IProtocolObserver {
public:
    virtual ~IProtocolObserver() = default;
    virtual void onStep(const StepEvent& event) = 0;
    virtual void onProgress(const ProgressEvent& event) = 0;
    virtual void onReply(const ReplyEvent& event) = 0;
    virtual void onFault(const FaultEvent& event) = 0;
    virtual void onStepEnd(const StepEndEvent& event) = 0;
};

}  // namespace zandor::protocol
