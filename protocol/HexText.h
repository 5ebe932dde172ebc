#pragma once

// Small helpers the text codecs (S-record, Intel HEX) share for reading hexadecimal digits
// and quoting what a file holds in a fault.

#include <QByteArrayView>
#include <QString>

namespace zandor::protocol {

// 0 to 15 for 0-9, A-F and a-f; -1 for any other character.
inline int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// A file's bytes as the fault text quotes them: one character a byte, whatever it is.
inline QString ShownText(QByteArrayView text)
{
    return QString::fromLatin1(text.data(), text.size());
}

}  // namespace zandor::protocol
