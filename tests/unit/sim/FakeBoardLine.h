#pragma once

#include "sim/Board.h"
#include "sim/SimOptions.h"

#include <string>

namespace zandor::sim {

// The host's side of the line, with a clock the test moves by hand.
class FakeBoardLine : public BoardLine {
public:
    void send(const std::string& bytes) override { sent += bytes; }
    void pause(int milliseconds) override { clockMs += milliseconds; }
    std::int64_t nowMs() const override { return clockMs; }

    std::string sent;
    std::int64_t clockMs = 0;
};

// A loader image as ours are built: the tag at the start of the E000h image.
inline std::string TaggedLoaderImage(const std::string& loaderTag = "LoaderC167")
{
    std::string image(kLoaderImageBytes, '\x5A');
    const std::string tag = loaderTag + '\0';
    image.replace(kLoaderPart1Bytes, tag.size(), tag);
    return image;
}

// An S3 record storing `value` at `address`, its checksum FFh less the sum of its bytes.
inline std::string ByteRecord(std::uint32_t address, std::uint8_t value)
{
    const std::string body = {char(6), char(address >> 24), char(address >> 16), char(address >> 8), char(address),
                              char(value)};
    unsigned sum = 0;
    for (char byte : body)
        sum += std::uint8_t(byte);
    return "S3" + body + char(255 - sum % 256);
}

// Bootstrap: the zero byte, a pre-loader of `preLoaderBytes`, then the loader image.
inline std::string BootBytes(int preLoaderBytes = 32, const std::string& loaderTag = "LoaderC167")
{
    return std::string(1, char(kBootstrapRequest)) + std::string(std::size_t(preLoaderBytes), '\0')
           + TaggedLoaderImage(loaderTag);
}

// A board on the fake line, fed by the test byte by byte.
struct TestBoard {
    explicit TestBoard(const SimOptions& given = {}) : options(given) {}
    void feed(const std::string& bytes)
    {
        for (char byte : bytes)
            board.feed(static_cast<std::uint8_t>(byte));
    }
    SimOptions options;
    FakeBoardLine line;
    EventLog log;
    Board board{options, line, log};
};

}  // namespace zandor::sim
