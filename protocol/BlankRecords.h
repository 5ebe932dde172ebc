#pragma once

// Records an erased memory already holds. Flash that is erased before it is programmed
// (the CPU's flash, AMD29F0x0) reads FFh everywhere, and writing FFh over it changes
// nothing, so a data record of FFh bytes only can stay off the line. The AT45D0x1 data
// flash rewrites whole pages from its buffer: a skipped record would leave the page's old
// contents, so nothing is skipped there.

#include "ApplicationImage.h"

namespace zandor::protocol {

constexpr std::uint8_t kErasedFlashByte = 0xFF;

// A data record (S1, S2, S3, or a chunk of a binary file) whose every data byte is FFh.
// Headers, counts and terminators are never blank: they always go out.
bool IsBlankDataRecord(const ImageRecord& record);

// Whether blank records may be skipped for a memory kind; when not, `why` says so.
bool MemoryTakesBlankSkipping(int memoryKind, QString* why = nullptr);

}  // namespace zandor::protocol
