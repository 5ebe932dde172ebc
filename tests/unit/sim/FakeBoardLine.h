#pragma once

#include "sim/Board.h"

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

}  // namespace zandor::sim
