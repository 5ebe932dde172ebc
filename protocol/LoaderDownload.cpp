#include "Module1.h"

#include "ReplyCodes.h"
#include "SRecordCodec.h"
#include "TargetIo.h"

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

// The two memory images the pre-loader (or the running loader) takes, FF where the
// loader file puts nothing.
struct LoaderImages {
    QByteArray part1 = QByteArray(kLoaderPart1Size, kUnfilledImageByte);
    QByteArray part2 = QByteArray(kLoaderPart2Size, kUnfilledImageByte);

    bool store(std::uint32_t address, char byte)
    {
        if (address >= kLoaderPart1Base && address < kLoaderPart1Base + kLoaderPart1Size) {
            part1[address - kLoaderPart1Base] = byte;
            return true;
        }
        if (address >= kLoaderPart2Base && address < kLoaderPart2Base + kLoaderPart2Size) {
            part2[address - kLoaderPart2Base] = byte;
            return true;
        }
        return false;
    }
};

// Builds both images from the loader file; false after one message box on a fault.
bool BuildImages(Target& target, const QString& file, LoaderImages* images)
{
    QByteArray bytes;
    QString fault;
    if (!ReadWholeFile(file, &bytes, &fault)) {
        ShowFault(target, FileFaultText(file, fault));
        return false;
    }
    for (const TextLine& line : SplitLines(bytes)) {
        if (IsBlankLine(line.text))
            continue;
        const LoaderLineData decoded = DecodeLoaderLine(line.text);
        if (!decoded.fault.isEmpty()) {
            ShowFault(target, LineFaultText(file, line.number, decoded.fault));
            return false;
        }
        if (!decoded.hasData)
            continue;
        for (qsizetype i = 0; i < decoded.data.size(); ++i) {
            const std::uint32_t address = decoded.address + std::uint32_t(i);
            if (!images->store(address, decoded.data.at(i))) {
                // This box has no icon: the loader file is ours, so this is a build fault.
                target.report.messageBox(
                    QStringLiteral("Address %1 out of range in %2, line %3")
                        .arg(QString::number(address, 16).toUpper(), file, QString::number(line.number)),
                    MessageIcon::None);
                return false;
            }
        }
    }
    return true;
}

// One write per image byte, as the bootstrap pre-loader takes them. False when the port
// refused a write.
bool SendImage(Target& target, const QByteArray& image)
{
    for (char byte : image) {
        if (!WriteToTarget(target, QByteArray(1, byte)))
            return false;
    }
    return true;
}

}  // namespace

bool SendLoader(Target& target, int memoryKind, int firstLoadFlag)
{
    const auto loader = ChooseLoader(target.profile, memoryKind);
    if (!loader) {
        ShowFault(target, QStringLiteral("There is no loader for memory kind %1.").arg(memoryKind));
        return false;
    }
    const bool firstLoad = firstLoadFlag == kFirstLoad;
    const QString preLoaderStatus =
        QStringLiteral("Sending PreLoader %1 ...").arg(target.profile.PreLoaderFile);
    const QString loaderText = loader->label + loader->file;

    // Everything is read and checked before the first byte goes out, so a bad file never
    // leaves the target with half a loader.
    QByteArray preLoader;
    if (firstLoad) {
        QString fault;
        if (!ReadWholeFile(target.profile.PreLoaderFile, &preLoader, &fault)) {
            target.report.setStatusText(preLoaderStatus);
            ShowFault(target, FileFaultText(target.profile.PreLoaderFile, fault));
            AppendStatus(target, kErrorSuffix);
            return false;
        }
    }
    LoaderImages images;
    if (!BuildImages(target, loader->file, &images)) {
        target.report.setStatusText(loaderText);
        AppendStatus(target, kErrorSuffix);
        return false;
    }

    target.port.readAllPending();  // stale bytes would be taken for the loader's answer
    bool written = false;
    if (firstLoad) {
        target.report.setStatusText(preLoaderStatus);
        written = WriteToTarget(target, preLoader);
    } else {
        target.report.setStatusText(QStringLiteral("Sending ReLoader ..."));
        written = SendRecord(target, kReloadCommand);
    }
    if (written) {
        target.report.setStatusText(loaderText + QStringLiteral(" Part 1 ..."));
        written = SendImage(target, images.part1);
    }
    if (written) {
        target.report.setStatusText(loaderText + QStringLiteral(" Part 2 ..."));
        written = SendImage(target, images.part2);
    }
    return FinishAcknowledgedStep(target, written && WaitForAck(target, kLoaderAckLimitTicks));
}

}  // namespace zandor::protocol
