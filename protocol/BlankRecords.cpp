#include "BlankRecords.h"

#include "SRecordCodec.h"

namespace zandor::protocol {

namespace {

constexpr int kBytesBeforeAddress = 3;  // "S", the type, the count
constexpr int kChecksumBytes = 1;

}  // namespace

bool IsBlankDataRecord(const ImageRecord& record)
{
    if (record.type != '1' && record.type != '2' && record.type != '3')
        return false;
    // Judged from the wire bytes, the ones that would be sent, not from the summary fields.
    const int dataStart = kBytesBeforeAddress + SRecordAddressBytes(record.type);
    const int dataEnd = int(record.wire.size()) - kChecksumBytes;
    if (dataEnd <= dataStart)
        return false;  // a record without data bytes is not data
    for (int i = dataStart; i < dataEnd; ++i) {
        if (std::uint8_t(record.wire.at(i)) != kErasedFlashByte)
            return false;
    }
    return true;
}

bool MemoryTakesBlankSkipping(int memoryKind, QString* why)
{
    switch (memoryKind) {
    case profiles::CpuFlashMemory:
    case profiles::ExternalFlashMemory:
        return true;
    case profiles::DataFlashMemory:
        if (why)
            *why = QStringLiteral("The AT45D0x1 data flash rewrites each page whole, so a skipped record would "
                                  "leave the page's old contents: blank records cannot be skipped there.");
        return false;
    default:
        if (why)
            *why = QStringLiteral("Blank records can be skipped only for memories erased before programming "
                                  "(the CPU's flash and AMD29F0x0).");
        return false;
    }
}

}  // namespace zandor::protocol
