#include "IntelHexImage.h"

#include "InputFile.h"
#include "IntelHexCodec.h"
#include "ReplyCodes.h"

namespace zandor::protocol {

namespace {

QByteArrayView FirstLineOf(const QByteArray& bytes)
{
    qsizetype end = bytes.indexOf('\n');
    if (end < 0)
        end = bytes.size();
    if (end > 0 && bytes.at(end - 1) == '\r')
        --end;
    return QByteArrayView(bytes).first(end);
}

}  // namespace

bool IsIntelHexFile(const QByteArray& fileBytes, const QString& file)
{
    if (file.endsWith(QStringLiteral(".bin"), Qt::CaseInsensitive))
        return false;
    return LooksLikeIntelHexLine(FirstLineOf(fileBytes));
}

bool BuildIntelHexImage(const QByteArray& fileBytes, ApplicationImage& image, ImageFault* fault)
{
    IntelHexFault hexFault;
    const auto data = DecodeIntelHex(fileBytes, &hexFault);
    if (!data) {
        if (fault) {
            fault->line = hexFault.line;
            fault->text = hexFault.line > 0 ? LineFaultText(image.file, hexFault.line, hexFault.text)
                                            : QStringLiteral("Error in %1: %2.").arg(image.file, hexFault.text);
        }
        return false;
    }
    image.progressTotal = data->dataBytes;
    image.records.reserve(data->dataBytes / kBinaryChunkBytes + data->spans.size());
    // Chunks grow over touching spans (a file of 1-byte records is one run) and end at
    // every 64-byte address boundary, so the loader gets the records a binary file gives.
    QByteArray chunk;
    std::uint32_t chunkAddress = 0;
    const auto flush = [&] {
        if (!chunk.isEmpty())
            image.records.append(DataChunkRecord(chunk, chunkAddress));
        chunk.clear();
    };
    for (const IntelHexSpan& span : data->spans) {
        if (!chunk.isEmpty() && std::uint64_t(chunkAddress) + std::uint64_t(chunk.size()) != span.address)
            flush();
        qsizetype done = 0;
        while (done < span.length) {
            const std::uint32_t address = span.address + std::uint32_t(done);
            if (chunk.isEmpty())
                chunkAddress = address;
            const qsizetype room = kBinaryChunkBytes - qsizetype(address % kBinaryChunkBytes);
            const qsizetype piece = std::min(room, span.length - done);
            chunk.append(data->bytes.constData() + span.offset + done, piece);
            done += piece;
            if (piece == room)
                flush();
        }
    }
    flush();
    return true;
}

}  // namespace zandor::protocol
