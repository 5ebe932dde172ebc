#pragma once

// What the sample files should leave in a board's memory, decoded independently of the
// protocol's codec, so a test compares the board with the file and not with our own decoding.

#include "SimulatedTarget.h"
#include "TestFiles.h"

#include <QMap>

namespace zandor::testing {

inline QByteArray SampleBytes(const QString& name)
{
    return ReadTestFile(QDir(SamplesDir()).filePath(name));
}

// The bytes other than FFh, as SimulatedTarget::memory() gives a board holding them.
inline QMap<quint32, quint8> ImageOf(const QByteArray& bytes, quint32 offset)
{
    QMap<quint32, quint8> image;
    for (int i = 0; i < bytes.size(); ++i) {
        if (quint8(bytes[i]) != kErasedFlashByte)
            image.insert(offset + quint32(i), quint8(bytes[i]));
    }
    return image;
}

// The data of a sample S-record file's S1, S2 and S3 records, address to byte.
inline QMap<quint32, quint8> ImageOfSRecordFile(const QString& name)
{
    QMap<quint32, quint8> image;
    for (const QByteArray& raw : SampleBytes(name).split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.size() < 4 || line[0] != 'S' || line[1] < '1' || line[1] > '3')
            continue;
        const int addressBytes = line[1] - '0' + 1;
        const QByteArray bytes = QByteArray::fromHex(line.mid(2));
        quint32 address = 0;
        for (int i = 1; i <= addressBytes; ++i)
            address = (address << 8) | quint8(bytes[i]);
        image.insert(ImageOf(bytes.mid(1 + addressBytes, quint8(bytes[0]) - addressBytes - 1), address));
    }
    return image;
}

}  // namespace zandor::testing
