#include "LoaderPackage.h"

#include "InputFile.h"
#include "ReplyCodes.h"
#include "SRecordCodec.h"
#include "profiles/MemoryFiles.h"

namespace zandor::protocol {

namespace {

// The status label of a memory kind's loader ("C167: Sending Loader ").
QString LoaderLabel(const profiles::ProfileData& profile, profiles::MemoryKind memoryKind)
{
    // The CPU flash's loader is named after the processor it runs on.
    QString name = profiles::MemoryStatusName(memoryKind);
    if (memoryKind == profiles::CpuFlashMemory)
        name = profiles::IsST10F168(profile) ? QStringLiteral("C168") : QStringLiteral("C167");
    return name + QStringLiteral(": Sending Loader ");
}

bool Store(LoaderImages& images, std::uint32_t address, char byte)
{
    if (address >= kLoaderPart1Base && address < kLoaderPart1Base + kLoaderPart1Size) {
        images.part1[address - kLoaderPart1Base] = byte;
        return true;
    }
    if (address >= kLoaderPart2Base && address < kLoaderPart2Base + kLoaderPart2Size) {
        images.part2[address - kLoaderPart2Base] = byte;
        return true;
    }
    return false;
}

bool Refuse(LoaderPrepareFault* out, Phase phase, const QString& statusText, const QString& file,
            const QString& text, int line = 0, bool withIcon = true)
{
    if (out) {
        out->phase = phase;
        out->statusText = statusText;
        out->fault = FaultEvent{phase, file, line, text, withIcon};
    }
    return false;
}

}  // namespace

std::optional<LoaderImages> BuildLoaderImages(const QByteArray& fileBytes, const QString& file,
                                              LoaderImagesFault* fault)
{
    LoaderImages images{QByteArray(kLoaderPart1Size, kUnfilledImageByte),
                        QByteArray(kLoaderPart2Size, kUnfilledImageByte)};
    bool anyData = false;
    for (const TextLine& line : SplitLines(fileBytes)) {
        if (IsBlankLine(line.text))
            continue;
        const LoaderLineData decoded = DecodeLoaderLine(line.text);
        if (!decoded.fault.isEmpty()) {
            if (fault)
                *fault = {line.number, LineFaultText(file, line.number, decoded.fault), false};
            return std::nullopt;
        }
        if (!decoded.hasData)
            continue;
        anyData = anyData || !decoded.data.isEmpty();
        for (qsizetype i = 0; i < decoded.data.size(); ++i) {
            const std::uint32_t address = decoded.address + std::uint32_t(i);
            if (!Store(images, address, decoded.data.at(i))) {
                if (fault) {
                    *fault = {line.number,
                              QStringLiteral("Address %1 out of range in %2, line %3")
                                  .arg(QString::number(address, 16).toUpper(), file, QString::number(line.number)),
                              true};
                }
                return std::nullopt;
            }
        }
    }
    // No S1 or S2 data at all (an application file named as the loader, say): the board
    // would get two images of unfilled bytes to run.
    if (!anyData) {
        if (fault)
            *fault = {0, QStringLiteral("Error in %1: it holds no S1 or S2 loader records.").arg(file), false};
        return std::nullopt;
    }
    return images;
}

QString PreLoaderSizeFault(const QString& preLoaderFile, qint64 bytes)
{
    if (bytes == kPreLoaderBytes)
        return {};
    const QString size = bytes == 0 ? QStringLiteral("the file is empty")
                                    : QStringLiteral("the file holds %1 bytes").arg(bytes);
    return QStringLiteral("Cannot send %1: %2, and the bootstrap loader takes exactly %3 bytes.")
        .arg(preLoaderFile, size)
        .arg(kPreLoaderBytes);
}

QString PreLoaderStatusText(const QString& preLoaderFile)
{
    return QStringLiteral("Sending PreLoader %1 ...").arg(preLoaderFile);
}

std::optional<LoaderPackage> PrepareLoader(const profiles::ProfileData& profile, profiles::MemoryKind memoryKind,
                                           bool firstLoad, LoaderPrepareFault* fault)
{
    const QString* loaderFile = profiles::FilesOfMemory(profile, memoryKind).loader;
    if (!loaderFile) {
        Refuse(fault, Phase::Loader, QString(), QString(),
               QStringLiteral("There is no loader for memory kind %1.").arg(memoryKind));
        return std::nullopt;
    }
    LoaderPackage package;
    package.firstLoad = firstLoad;
    package.preLoaderFile = profile.PreLoaderFile;
    package.loaderFile = *loaderFile;
    package.loaderLabel = LoaderLabel(profile, memoryKind);

    if (firstLoad) {
        const InputFile preLoader = ReadInputFile(profile.PreLoaderFile);
        if (!preLoader.ok()) {
            Refuse(fault, Phase::PreLoader, PreLoaderStatusText(profile.PreLoaderFile), profile.PreLoaderFile,
                   InputFileFaultText(profile.PreLoaderFile, preLoader.reason));
            if (fault)
                fault->fileError = preLoader.error;
            return std::nullopt;
        }
        const QString sizeFault = PreLoaderSizeFault(profile.PreLoaderFile, preLoader.bytes.size());
        if (!sizeFault.isEmpty()) {
            Refuse(fault, Phase::PreLoader, PreLoaderStatusText(profile.PreLoaderFile), profile.PreLoaderFile,
                   sizeFault);
            if (fault)
                fault->preLoaderSizeWrong = true;
            return std::nullopt;
        }
        package.preLoader = preLoader.bytes;
    }
    const QString loaderText = package.loaderLabel + package.loaderFile;
    const InputFile loaderBytes = ReadInputFile(package.loaderFile);
    if (!loaderBytes.ok()) {
        Refuse(fault, Phase::Loader, loaderText, package.loaderFile,
               InputFileFaultText(package.loaderFile, loaderBytes.reason));
        if (fault)
            fault->fileError = loaderBytes.error;
        return std::nullopt;
    }
    LoaderImagesFault imagesFault;
    const auto images = BuildLoaderImages(loaderBytes.bytes, package.loaderFile, &imagesFault);
    if (!images) {
        // The out-of-range box has no icon: the loader file is ours, so this is a build fault.
        Refuse(fault, Phase::Loader, loaderText, package.loaderFile, imagesFault.text, imagesFault.line,
               !imagesFault.outOfRange);
        return std::nullopt;
    }
    package.images = *images;
    return package;
}

}  // namespace zandor::protocol
