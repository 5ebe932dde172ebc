#pragma once

// What a loader download sends, prepared before its first byte goes out: the pre-loader
// file (first load) and the loader's two memory images. A bad file is found here, so it
// never leaves the target with half a loader.

#include "InputFile.h"
#include "ProtocolEvents.h"
#include "profiles/ProfileData.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace zandor::protocol {

// The two images the pre-loader (or the running loader) takes, FF where the loader file
// puts nothing: F600h-F9FFh, then E000h-E7FFh.
struct LoaderImages {
    QByteArray part1;
    QByteArray part2;
};

// Decodes a loader file's S1 and S2 lines into the two images (other record types are
// skipped, a later byte for the same address wins). A fault names the file and line; a
// data address outside both images is reported with `outOfRange` set. Pure: opens nothing.
struct LoaderImagesFault {
    int line = 0;
    QString text;
    bool outOfRange = false;
};
std::optional<LoaderImages> BuildLoaderImages(const QByteArray& fileBytes, const QString& file,
                                              LoaderImagesFault* fault);

struct LoaderPackage {
    bool firstLoad = true;
    QString preLoaderFile;
    QByteArray preLoader;  // sent unchanged; empty for a reload
    QString loaderFile;
    QString loaderLabel;   // "C167: Sending Loader "
    LoaderImages images;
};

// Why a loader cannot be prepared, with the step it belongs to and that step's status text.
struct LoaderPrepareFault {
    Phase phase = Phase::Loader;
    QString statusText;
    FaultEvent fault;
    InputFileError fileError = InputFileError::None;  // why a file could not be read, if so
    bool preLoaderSizeWrong = false;  // the file can never be sent: refused before the zero byte
};

// Reads and checks the pre-loader (first load) and the loader of the memory kind (1 to 4;
// the profile's processor code picks the CPU flash loader).
std::optional<LoaderPackage> PrepareLoader(const profiles::ProfileData& profile, profiles::MemoryKind memoryKind,
                                           bool firstLoad, LoaderPrepareFault* fault);

// Why a pre-loader of `bytes` bytes cannot be sent; empty for exactly kPreLoaderBytes.
QString PreLoaderSizeFault(const QString& preLoaderFile, qint64 bytes);

// "Sending PreLoader <file> ..."
QString PreLoaderStatusText(const QString& preLoaderFile);

}  // namespace zandor::protocol
