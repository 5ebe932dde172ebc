#include "SerialPortList.h"

#include "SerialLineSettings.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

namespace zandor::platform {

namespace {

constexpr int kUsbIdDigits = 4;  // hex digits of a USB vendor or product id
constexpr int kHexBase = 16;

// The file a path ends at after every link; empty when it does not exist.
QString Resolved(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

bool SameFile(const QString& a, const QString& b)
{
    if (a == b)
        return true;
    const QString resolved = Resolved(a);
    return !resolved.isEmpty() && resolved == Resolved(b);
}

QString UsbId(bool known, quint16 id)
{
    return known ? QStringLiteral("%1").arg(id, kUsbIdDigits, kHexBase, QLatin1Char('0'))
                 : QString();
}

SerialPortEntry EntryFor(const QSerialPortInfo& info)
{
    SerialPortEntry entry;
    entry.device = info.systemLocation();
    entry.description = info.description();
    entry.manufacturer = info.manufacturer();
    entry.vid = UsbId(info.hasVendorIdentifier(), info.vendorIdentifier());
    entry.pid = UsbId(info.hasProductIdentifier(), info.productIdentifier());
    entry.serialNumber = info.serialNumber();
    return entry;
}

}  // namespace

QString DeviceNameForPort(ISettingsStore& store, int portNumber)
{
    if (portNumber < 1)
        return QString();
    const QString configured =
        store.readKey(kGeneralSection, QStringLiteral("COM%1").arg(portNumber), QString())
            .trimmed();
    return configured.isEmpty() ? DefaultDeviceForPort(portNumber) : configured;
}

void SetDeviceForPort(ISettingsStore& store, int portNumber, const QString& device)
{
    if (portNumber < 1)
        return;
    const QString key = QStringLiteral("COM%1").arg(portNumber);
    const QString value = device.trimmed();
    // The usual device is not written: a key that merely repeats it would pin the port to
    // today's naming and hide, in the settings file, that nothing was chosen.
    if (value.isEmpty() || value == DefaultDeviceForPort(portNumber))
        store.deleteKey(kGeneralSection, key);
    else
        store.writeKey(kGeneralSection, key, value);
}

QMap<int, QString> ReadPortMappings(ISettingsStore& store)
{
    QMap<int, QString> mappings;
    for (int port = 1; port <= kHighestMappedPort; ++port) {
        const QString value =
            store.readKey(kGeneralSection, QStringLiteral("COM%1").arg(port), QString()).trimmed();
        if (!value.isEmpty())
            mappings.insert(port, value);
    }
    return mappings;
}

QString ByIdLinkFor(const QString& device, const QString& folder)
{
    // Device files and links to them are "system" entries to QDir.
    const QFileInfoList links = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& link : links) {
        if (SameFile(link.absoluteFilePath(), device))
            return link.absoluteFilePath();
    }
    return QString();
}

QList<int> PortsNaming(const QString& device, const QMap<int, QString>& mappings)
{
    QList<int> ports;
    for (auto it = mappings.constBegin(); it != mappings.constEnd(); ++it) {
        if (SameFile(it.value(), device))
            ports << it.key();
    }
    return ports;
}

QList<SerialPortEntry> CompletePortList(QList<SerialPortEntry> detected,
                                        const QMap<int, QString>& mappings,
                                        const QString& byIdFolder)
{
    for (const QString& mapped : mappings) {
        const QString device = Resolved(mapped);
        const bool listed = std::any_of(detected.cbegin(), detected.cend(), [&](const auto& entry) {
            return SameFile(entry.device, mapped);
        });
        if (!device.isEmpty() && !listed) {
            SerialPortEntry entry;
            entry.device = device;
            detected << entry;
        }
    }
    // A port number without a mapping opens its usual device (COM1 is /dev/ttyS0), so that
    // device is listed under the number too; unmapped usual devices are not added to the list.
    QMap<int, QString> opened = mappings;
    for (int port = 1; port <= kHighestMappedPort; ++port) {
        if (!opened.contains(port))
            opened.insert(port, DefaultDeviceForPort(port));
    }
    for (SerialPortEntry& entry : detected) {
        entry.byId = ByIdLinkFor(entry.device, byIdFolder);
        entry.comPorts = PortsNaming(entry.device, opened);
    }
    // Numbers in names count as numbers: /dev/ttyS2 comes before /dev/ttyS10.
    QCollator order;
    order.setNumericMode(true);
    std::sort(detected.begin(), detected.end(), [&order](const auto& a, const auto& b) {
        return order.compare(a.device, b.device) < 0;
    });
    return detected;
}

QList<SerialPortEntry> ListSerialPorts(ISettingsStore& store)
{
    QList<SerialPortEntry> detected;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        detected << EntryFor(info);
    return CompletePortList(std::move(detected), ReadPortMappings(store), kSerialByIdFolder);
}

}  // namespace zandor::platform
