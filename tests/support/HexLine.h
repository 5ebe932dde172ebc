#pragma once

#include <QByteArray>
#include <cstdint>

namespace zandor::testing {

// One Intel HEX line: count, offset, type, data and the two's complement checksum.
inline QByteArray HexLine(int type, std::uint16_t offset, const QByteArray& data)
{
    QByteArray bytes;
    bytes.append(char(data.size())).append(char(offset >> 8)).append(char(offset & 0xFF)).append(char(type));
    bytes.append(data);
    std::uint8_t sum = 0;
    for (char byte : bytes)
        sum += std::uint8_t(byte);
    bytes.append(char(std::uint8_t(-sum)));
    return ':' + bytes.toHex().toUpper();
}

}  // namespace zandor::testing
