#pragma once

// Every byte, limit and memory layout the target protocol relies on, with its meaning.

#include <QByteArray>
#include <cstdint>

namespace zandor::protocol {

// --- Reply characters of the loaders --------------------------------------------------
// A reply acknowledges when its first byte is "*" and none of its bytes is one of the four
// refusals: a refusal behind a stray "*" is still a refusal.
constexpr char kAcknowledge = '*';        // 2Ah: record accepted
constexpr char kChipEraseFailed = '!';    // 21h
constexpr char kChecksumError = '?';      // 3Fh
constexpr char kChipProgramFailure = '#'; // 23h
constexpr char kChipReadFailure = '$';    // 24h

// --- Bootstrap mode ----------------------------------------------------------------
// The zero byte the microcontroller's bootstrap mode answers with its identification byte.
constexpr char kBootstrapRequest = '\x00';
constexpr std::uint8_t kBootstrapIdC167 = 0xC5;      // C167 family
constexpr std::uint8_t kBootstrapIdST10F168 = 0xD5;  // ST10F168
// The bootstrap loader stores exactly this many bytes after the identification byte at
// FA40h-FA5Fh and jumps there: a longer pre-loader spills into the loader images, a
// shorter one takes the loader's first byte.
constexpr int kPreLoaderBytes = 32;

// --- Binary records ----------------------------------------------------------------
constexpr char kRecordStart = 'S';        // 53h, first byte of every record and S-record line
constexpr char kEraseRecordType = 'E';    // 45h
constexpr char kReloadRecordType = 'R';   // 52h
constexpr char kDataRecordType = '3';     // S3: data with a 4-byte address
constexpr char kLineFeed = '\x0A';        // follows every erase command on its own
// "S", "E", count 03h (two payload bytes and the checksum follow).
inline const QByteArray kEraseCommandHead = QByteArrayLiteral("SE\x03");
// "S", "R", count 01h (only the checksum follows): the running loader takes a new one.
inline const QByteArray kReloadCommand = QByteArrayLiteral("SR\x01");
// A binary file travels in records of at most this many data bytes.
constexpr int kBinaryChunkBytes = 64;
// The count of an S3 record covers 4 address bytes and the checksum besides the data.
constexpr int kS3AddressAndChecksumBytes = 5;

// --- Reply waits, in ticks of 100 ms ------------------------------------------------
constexpr int kEraseBankLimitTicks = 100;  // erasing one bank: 10 s
constexpr int kLoaderAckLimitTicks = 5;    // new loader announcing itself: 0.5 s
constexpr int kRecordAckLimitTicks = 10;   // one application record: 1 s
constexpr int kIdentifyLimitTicks = 2;     // bootstrap identification byte: 0.2 s

// After the last bank or record, the rest of its reply may still be on its way: the host
// listens this long before it calls the step done, the wire time of kLateReplyBytes bytes
// plus kLateReplyGraceMs milliseconds. Only once a step, never per bank or record.
constexpr int kLateReplyBytes = 4;
constexpr int kLateReplyGraceMs = 20;

// --- Serial line timing --------------------------------------------------------------
// One byte on the wire: start bit, 8 data bits, stop bit.
constexpr int kBitsPerWireByte = 10;
// Used when the profile's settings string names no usable baud rate.
constexpr int kFallbackBaudRate = 38400;

// --- Loader images on the target (sent as raw bytes after pre-loader or reload) -----
constexpr std::uint32_t kLoaderPart1Base = 0xF600;  // sent first
constexpr int kLoaderPart1Size = 1024;              // F600h-F9FFh
constexpr std::uint32_t kLoaderPart2Base = 0xE000;  // sent second
constexpr int kLoaderPart2Size = 2048;              // E000h-E7FFh
constexpr char kUnfilledImageByte = '\xFF';         // erased-flash value for unused bytes

// --- Erase bank plans ----------------------------------------------------------------
constexpr int kCpuFlashBanks = 4;       // banks 0-3
constexpr int kExternalFlashBanks = 8;  // AMD29F0x0: banks 0-7

// --- S-record files ----------------------------------------------------------------
// File type codes.
constexpr int kBinaryFileType = 1;
constexpr int kSRecordFileType = 3;
constexpr int kIntelHexFileType = 4;

}  // namespace zandor::protocol
