#include "LoaderPackage.h"

#include "InputFile.h"
#include "ReplyCodes.h"
#include "SRecordCodec.h"

namespace zandor::protocol {

namespace {

struct LoaderChoice {
    QString file;
    QString label;
};

std::optional<LoaderChoice> ChooseLoader(const profiles::ProfileData& profile, int memoryKind)
{
    switch (memoryKind) {
    case profiles::CpuFlashMemory:
        if (profile.ProcessorCode == QLatin1String(kProcessorCodeST10F168))
            return LoaderChoice{profile.C168LoaderFile, QStringLiteral("C168: Sending Loader ")};
        return LoaderChoice{profile.C167LoaderFile, QStringLiteral("C167: Sending Loader ")};
    case profiles::ExternalFlashMemory:
        return LoaderChoice{profile.AMD29F0x0LoaderFile, QStringLiteral("AMD29F0x0: Sending Loader ")};
    case profiles::DataFlashMemory:
        return LoaderChoice{profile.AT45D0x1LoaderFile, QStringLiteral("AT45D0x1: Sending Loader ")};
    case profiles::DS1994Memory:
        return LoaderChoice{profile.DS1994LoaderFile, QStringLiteral("DS1994: Sending Loader ")};
    default:
        return std::nullopt;
    }
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
    return images;
}

QString PreLoaderStatusText(const QString& preLoaderFile)
{
    return QStringLiteral("Sending PreLoader %1 ...").arg(preLoaderFile);
}

std::optional<LoaderPackage> PrepareLoader(const profiles::ProfileData& profile, int memoryKind,
                                           bool firstLoad, LoaderPrepareFault* fault)
{
    const auto loader = ChooseLoader(profile, memoryKind);
    if (!loader) {
        Refuse(fault, Phase::Loader, QString(), QString(),
               QStringLiteral("There is no loader for memory kind %1.").arg(memoryKind));
        return std::nullopt;
    }
    LoaderPackage package;
    package.memoryKind = memoryKind;
    package.firstLoad = firstLoad;
    package.preLoaderFile = profile.PreLoaderFile;
    package.loaderFile = loader->file;
    package.loaderLabel = loader->label;

    if (firstLoad) {
        const InputFile preLoader = ReadInputFile(profile.PreLoaderFile);
        if (!preLoader.ok()) {
            Refuse(fault, Phase::PreLoader, PreLoaderStatusText(profile.PreLoaderFile), profile.PreLoaderFile,
                   InputFileFaultText(profile.PreLoaderFile, preLoader.reason));
            return std::nullopt;
        }
        package.preLoader = preLoader.bytes;
    }
    const QString loaderText = loader->label + loader->file;
    const InputFile loaderFile = ReadInputFile(loader->file);
    if (!loaderFile.ok()) {
        Refuse(fault, Phase::Loader, loaderText, loader->file, InputFileFaultText(loader->file, loaderFile.reason));
        return std::nullopt;
    }
    LoaderImagesFault imagesFault;
    const auto images = BuildLoaderImages(loaderFile.bytes, loader->file, &imagesFault);
    if (!images) {
        // The out-of-range box has no icon: the loader file is ours, so this is a build fault.
        Refuse(fault, Phase::Loader, loaderText, loader->file, imagesFault.text, imagesFault.line,
               !imagesFault.outOfRange);
        return std::nullopt;
    }
    package.images = *images;
    return package;
}

}  // namespace zandor::protocol
