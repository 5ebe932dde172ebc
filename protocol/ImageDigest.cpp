#include "ImageDigest.h"

#include <QCryptographicHash>

namespace zandor::protocol {

QByteArray ImageDigest(const ApplicationImage& image)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const ImageRecord& record : image.records) {
        const quint32 address = record.hasAddress ? record.address : 0;
        const char fields[] = {char(record.hasAddress), char(address >> 24), char(address >> 16), char(address >> 8),
                               char(address), char(record.wire.size() >> 8), char(record.wire.size())};
        hash.addData(QByteArrayView(fields, sizeof fields));
        hash.addData(record.wire);
    }
    return hash.result();
}

QString ImageDigestText(const ApplicationImage& image)
{
    return QString::fromLatin1(ImageDigest(image).toHex());
}

}  // namespace zandor::protocol
