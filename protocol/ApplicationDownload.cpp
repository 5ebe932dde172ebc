#include "TargetOperations.h"

#include "BlankRecords.h"
#include "ReplyCodes.h"
#include "SRecordCodec.h"
#include "TargetIo.h"

namespace zandor::protocol {

Outcome SendApplication(Target& target, const ApplicationImage& image, profiles::MemoryKind memoryKind,
                        BlankRecords blank)
{
    StepEvent step;
    step.phase = Phase::Download;
    step.statusText = DownloadLabel(memoryKind) + image.file;
    step.file = image.file;
    target.observer.onStep(step);

    ProgressEvent progress;
    progress.total = image.progressTotal;
    progress.records = int(image.records.size());
    StepEndEvent end;
    end.phase = Phase::Download;
    end.records = progress.records;
    end.limitTicks = kRecordAckLimitTicks;

    const bool skipBlank = blank == BlankRecords::Skip;
    FaultEvent refusal;
    if (skipBlank && !MemoryTakesBlankSkipping(memoryKind, &refusal.text)) {
        refusal.phase = Phase::Download;
        refusal.file = image.file;
        target.observer.onFault(refusal);
        end.outcome = Outcome::BadInput;
        target.observer.onStepEnd(end);
        return end.outcome;
    }

    for (const ImageRecord& record : image.records) {
        if (const auto late = TakeLateRefusal(target)) {
            end = *late;
            break;
        }
        // A skipped record is done as it stands: the erased flash already holds it.
        const bool skipped = skipBlank && IsBlankDataRecord(record);
        const bool written = skipped || WriteToTarget(target, record.wire);
        progress.skipped = skipped;
        progress.bytes += record.progressBytes;
        progress.percent = ProgressPercent(progress.bytes, progress.total);
        progress.percentText = PercentText(progress.percent);
        ++progress.record;
        progress.hasAddress = record.hasAddress;
        progress.address = record.address;
        target.observer.onProgress(progress);

        end.record = progress.record;
        end.hasAddress = record.hasAddress;
        end.address = record.address;
        if (!written) {
            end.outcome = WriteFailure(target);
            break;
        }
        if (skipped) {
            ++end.skippedRecords;
        } else {
            const Ack ack = WaitForAck(target, kRecordAckLimitTicks, Phase::Download);
            end.outcome = OutcomeOf(ack);
            if (end.outcome != Outcome::Done) {
                end.reply = ack.reply;
                break;
            }
        }
        target.lastAnswered = end;  // as it stood before this record counted
        end.acknowledgedRecords = progress.record;
        end.lastAcknowledgedAddress = record.address;
        if (progress.record < progress.records && target.shouldStop()) {
            end.outcome = Outcome::Interrupted;
            break;
        }
    }
    // The last record's reply may have more to come: a refusal behind it fails it still.
    const bool answered = end.acknowledgedRecords > 0;
    if (answered && (end.outcome == Outcome::Done || end.outcome == Outcome::Interrupted)) {
        if (const auto late = DrainLateRefusal(target))
            end = *late;
    }
    // Blank lines after the last record still count toward the 100%.
    if (end.outcome == Outcome::Done && image.trailingProgressBytes > 0 && !image.records.isEmpty()) {
        const int shown = progress.percent;
        progress.bytes += image.trailingProgressBytes;
        progress.percent = ProgressPercent(progress.bytes, progress.total);
        progress.percentText = PercentText(progress.percent);
        progress.record = 0;
        progress.skipped = false;
        progress.hasAddress = false;
        if (progress.percent != shown)
            target.observer.onProgress(progress);
    }
    target.observer.onStepEnd(end);
    return end.outcome;
}

}  // namespace zandor::protocol
