// Arbitrary bytes as a loader file: a file that is taken must fill exactly the two memory
// images the pre-loader receives; a refused one is named, with the line at fault.

#include "FuzzCheck.h"
#include "protocol/LoaderPackage.h"
#include "protocol/ReplyCodes.h"
#include "protocol/SRecordCodec.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

using zandor::fuzz::Require;
using namespace zandor::protocol;

namespace {

const QString kFileName = QStringLiteral("Fuzz.sre");

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    LoaderImagesFault fault;
    const auto images = BuildLoaderImages(bytes, kFileName, &fault);
    if (images) {
        Require(images->part1.size() == kLoaderPart1Size
                    && images->part2.size() == kLoaderPart2Size,
                "the loader images are exactly 1024 and 2048 bytes");
        // QByteArray keeps a NUL behind its bytes: a store one past an image's end lands
        // there, inside the allocation, where the address sanitizer cannot see it.
        Require(images->part1.constData()[kLoaderPart1Size] == '\0'
                    && images->part2.constData()[kLoaderPart2Size] == '\0',
                "nothing is stored past the end of an image");
        return 0;
    }
    Require(fault.text.contains(kFileName), "a refused loader file is named in the fault");
    // Line 0 is the whole file: one without any loader data.
    Require((fault.line >= 1 && fault.line <= SplitLines(bytes).size())
                || (fault.line == 0 && fault.text.contains(QStringLiteral("no S1 or S2"))),
            "the fault names a line of the file, or says the file holds no loader data");
    return 0;
}
