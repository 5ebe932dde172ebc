#include "Module1.h"

#include "ReplyCodes.h"
#include "SRecordCodec.h"
#include "TargetIo.h"

namespace zandor::protocol {

namespace {

struct ApplicationChoice {
    QString file;
    QString offset;  // hexadecimal load address of a binary file's first byte
    QString label;
};

std::optional<ApplicationChoice> ChooseApplication(const profiles::ProfileData& profile, int memoryKind)
{
    switch (memoryKind) {
    case profiles::CpuFlashMemory:
        return ApplicationChoice{profile.C167ApplFile, profile.C167ApplFileOffset, QStringLiteral("CPU: Sending ")};
    case profiles::ExternalFlashMemory:
        return ApplicationChoice{profile.AMD29F0x0ApplFile, profile.AMD29F0x0ApplFileOffset,
                                 QStringLiteral("AMD29F0x0: Sending ")};
    case profiles::DataFlashMemory:
        return ApplicationChoice{profile.AT45D0x1ApplFile, profile.AT45D0x1ApplFileOffset,
                                 QStringLiteral("AT45D0x1: Sending ")};
    case profiles::DS1994Memory:
        return ApplicationChoice{profile.DS1994ApplFile, profile.DS1994ApplFileOffset,
                                 QStringLiteral("DS1994: Sending ")};
    default:
        return std::nullopt;
    }
}

QString UnknownKindText(int memoryKind)
{
    return QStringLiteral("There is no application file for memory kind %1.").arg(memoryKind);
}

std::optional<std::uint32_t> LoadAddress(const ApplicationChoice& choice, QString* text)
{
    QString fault;
    const auto offset = HexToLong(choice.offset, &fault);
    if (!offset) {
        *text = QStringLiteral("Error in %1: the load offset %2.").arg(choice.file, fault);
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*offset);
}

enum class Outcome { Sent, NotAcknowledged, BadInput };

// Shows progress in panel 3 and remembers it, so trailing blank lines can still bring
// it to 100%.
class Progress {
public:
    Progress(IReporter& report, qint64 total) : report_(report), total_(total) {}
    void add(qint64 bytes) { sent_ += bytes; }
    void show()
    {
        shown_ = ProgressPercentText(sent_, total_);
        report_.setPercentText(shown_);
    }
    void finish()
    {
        if (!shown_.isEmpty() && shown_ != ProgressPercentText(sent_, total_))
            show();
    }

private:
    IReporter& report_;
    qint64 total_;
    qint64 sent_ = 0;
    QString shown_;
};

// Every line goes out as the record it spells, its own checksum included; the next one
// only after the loader acknowledged.
Outcome SendSRecordLines(Target& target, const QString& file, const QByteArray& bytes)
{
    Progress progress(target.report, bytes.size());
    for (const TextLine& line : SplitLines(bytes)) {
        progress.add(line.fileBytes);
        if (IsBlankLine(line.text))
            continue;
        QString fault;
        const auto record = LineToBinaryRecord(line.text, &fault);
        if (!record) {
            ShowFault(target, LineFaultText(file, line.number, fault));
            return Outcome::BadInput;
        }
        const bool written = WriteToTarget(target, *record);
        progress.show();
        if (!written || !WaitForAck(target, kRecordAckLimitTicks))
            return Outcome::NotAcknowledged;
    }
    progress.finish();
    return Outcome::Sent;
}

// The file is cut into S3 records of 64 bytes placed from the load address upward.
Outcome SendBinaryChunks(Target& target, const QByteArray& bytes, std::uint32_t address)
{
    Progress progress(target.report, bytes.size());
    for (qsizetype at = 0; at < bytes.size(); at += kBinaryChunkBytes) {
        const QByteArray chunk = bytes.mid(at, kBinaryChunkBytes);
        const bool written = SendRecord(target, ChunkToBinaryRecord(chunk, address));
        progress.add(chunk.size());
        progress.show();
        if (!written || !WaitForAck(target, kRecordAckLimitTicks))
            return Outcome::NotAcknowledged;
        address += kBinaryChunkBytes;
    }
    return Outcome::Sent;
}

}  // namespace

bool CheckApplicationFile(Target& target, int memoryKind)
{
    const auto choice = ChooseApplication(target.profile, memoryKind);
    if (!choice) {
        ShowFault(target, UnknownKindText(memoryKind));
        return false;
    }
    QByteArray bytes;
    QString fault;
    if (!ReadWholeFile(choice->file, &bytes, &fault)) {
        ShowFault(target, FileFaultText(choice->file, fault));
        return false;
    }
    if (GetFileType(bytes) == kSRecordFileType) {
        for (const TextLine& line : SplitLines(bytes)) {
            if (IsBlankLine(line.text))
                continue;
            const QString lineFault = SRecordLineFault(line.text);
            if (!lineFault.isEmpty()) {
                ShowFault(target, LineFaultText(choice->file, line.number, lineFault));
                return false;
            }
        }
        return true;
    }
    QString text;
    if (!LoadAddress(*choice, &text)) {
        ShowFault(target, text);
        return false;
    }
    return true;
}

bool SendApplication(Target& target, int memoryKind)
{
    const auto choice = ChooseApplication(target.profile, memoryKind);
    if (!choice) {
        ShowFault(target, UnknownKindText(memoryKind));
        return false;
    }
    target.report.setStatusText(choice->label + choice->file);

    QByteArray bytes;
    QString fault;
    if (!ReadWholeFile(choice->file, &bytes, &fault)) {
        ShowFault(target, FileFaultText(choice->file, fault));
        AppendStatus(target, kErrorSuffix);
        return false;
    }
    Outcome outcome = Outcome::Sent;
    if (GetFileType(bytes) == kSRecordFileType) {
        outcome = SendSRecordLines(target, choice->file, bytes);
    } else {
        QString text;
        const auto address = LoadAddress(*choice, &text);
        if (!address) {
            ShowFault(target, text);
            outcome = Outcome::BadInput;
        } else {
            outcome = SendBinaryChunks(target, bytes, *address);
        }
    }

    if (outcome == Outcome::BadInput) {
        AppendStatus(target, kErrorSuffix);  // its box has said why; the target is not at fault
        return false;
    }
    return FinishAcknowledgedStep(target, outcome == Outcome::Sent);
}

}  // namespace zandor::protocol
