// Moving a profile's values into the page fields and back.
#include "ProfileFieldPages.h"

#include "profiles/ProfileSerialSettings.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <utility>
#include <limits>

namespace zandor::manager {

namespace {

using profiles::IndicatorPin;
using profiles::ProfileData;

// The loader for the ST10F168 processor is not shown in any field; every collected
// record names the program's own file for it.
const QString kC168LoaderFileName = QStringLiteral("LoaderC168.sre");

// Parts of the serial settings text "38400,N,8,1".
constexpr int kBaudRatePart = 0;
constexpr int kParityPart = 1;
constexpr int kDataBitsPart = 2;
constexpr int kStopBitsPart = 3;

// The stored parity letters and the parity list's items that show them.
const std::pair<QLatin1String, QLatin1String> kParityNames[] = {
    {QLatin1String("N"), QLatin1String("None")},
    {QLatin1String("E"), QLatin1String("Even")},
    {QLatin1String("O"), QLatin1String("Odd")},
};

// The parity list's item for a stored parity letter (either case); empty for one it does not know.
QString ParityItemForLetter(const QString& letter)
{
    for (const auto& [stored, item] : kParityNames)
        if (letter.compare(stored, Qt::CaseInsensitive) == 0)
            return item;
    return QString();
}

// The stored parity letter for the parity list's item; empty when nothing is selected.
QString ParityLetterForItem(const QString& item)
{
    for (const auto& [stored, shown] : kParityNames)
        if (item.compare(shown, Qt::CaseInsensitive) == 0)
            return stored;
    return QString();
}

QString PartOf(const QStringList& parts, int index)
{
    return index < parts.size() ? parts.at(index) : QString();
}

// Decimal text to a number of type T; false when it is no number or out of T's range.
template <typename T>
bool ToNumber(const QString& text, T& value)
{
    bool ok = false;
    const qlonglong number = text.toLongLong(&ok);
    if (!ok || number < std::numeric_limits<T>::min() || number > std::numeric_limits<T>::max())
        return false;
    value = static_cast<T>(number);
    return true;
}

}  // namespace

bool ProfileFieldPages::IsEdited(const QObject* field, const QString& currentText) const
{
    const auto it = memory_.constFind(field);
    return it == memory_.constEnd() || it->shown != currentText;
}

void ProfileFieldPages::Put(QLineEdit* field, const QString& value, WriteMode mode)
{
    if (mode == WriteMode::KeepEdits && IsEdited(field, field->text()))
        return;
    field->setText(value);
    memory_.insert(field, {value, field->text()});
}

void ProfileFieldPages::Put(QComboBox* list, const QString& item, WriteMode mode)
{
    if (mode == WriteMode::KeepEdits && IsEdited(list, list->currentText()))
        return;
    // A value that is no item leaves the list's selection as it was.
    const int index = list->findText(item, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (index >= 0)
        list->setCurrentIndex(index);
    memory_.insert(list, {item, list->currentText()});
}

QString ProfileFieldPages::Collected(const QLineEdit* field) const
{
    // An unedited field gives back the value it was given, in full, even where the
    // field's length limit had to shorten what it shows.
    const auto it = memory_.constFind(field);
    if (it != memory_.constEnd() && it->shown == field->text())
        return it->loaded;
    return field->text();
}

void ProfileFieldPages::WriteFields(const ProfileData& record, WriteMode mode)
{
    loaded_ = record;

    const QStringList settings = record.COMSettings.split(QLatin1Char(','));
    Put(cboCOMBaudRate_, PartOf(settings, kBaudRatePart), mode);
    Put(cboCOMParity_, ParityItemForLetter(PartOf(settings, kParityPart)), mode);
    Put(cboCOMDataBits_, PartOf(settings, kDataBitsPart), mode);
    Put(cboCOMStopBits_, PartOf(settings, kStopBitsPart), mode);
    Put(cboCOMPort_, QString::number(record.COMPort), mode);
    Put(cboCPU_, record.ProcessorCode, mode);
    Put(txtCOMInBuffersize_, QString::number(record.COMInBufferSize), mode);
    Put(txtCOMOutBuffersize_, QString::number(record.COMOutBufferSize), mode);

    const std::pair<const IndicatorGroup*, const IndicatorPin*> groups[] = {
        {&busy_, &record.IndBusy}, {&fail_, &record.IndFail}};
    for (const auto& [group, pin] : groups) {
        Put(group->dataAddr, pin->DataAddr, mode);
        Put(group->dirAddr, pin->DirAddr, mode);
        Put(group->openDrainAddr, pin->OpenDrainAddr, mode);
        Put(group->mask, pin->Mask, mode);
        Put(group->actLev, QString::number(pin->ActLev), mode);
    }

    // The Device row follows the port number, except where the user has picked or typed
    // a device for the port number that is still selected.
    const bool keepDevice = mode == WriteMode::KeepEdits && deviceEdited_
                            && cboCOMPort_->currentText().toInt() == deviceShownFor_;
    if (!keepDevice)
        ShowMappedDevice();

    Put(txtPreLoaderFile_, record.PreLoaderFile, mode);
    Put(amd29F0x0_.loaderFile, record.AMD29F0x0LoaderFile, mode);
    Put(amd29F0x0_.applFile, record.AMD29F0x0ApplFile, mode);
    Put(amd29F0x0_.applOffset, record.AMD29F0x0ApplFileOffset, mode);
    Put(at45D0x1_.loaderFile, record.AT45D0x1LoaderFile, mode);
    Put(at45D0x1_.applFile, record.AT45D0x1ApplFile, mode);
    Put(at45D0x1_.applOffset, record.AT45D0x1ApplFileOffset, mode);
    Put(c167_.loaderFile, record.C167LoaderFile, mode);
    Put(c167_.applFile, record.C167ApplFile, mode);
    Put(c167_.applOffset, record.C167ApplFileOffset, mode);
    Put(ds1994_.loaderFile, record.DS1994LoaderFile, mode);
    Put(ds1994_.applFile, record.DS1994ApplFile, mode);
    Put(ds1994_.applOffset, record.DS1994ApplFileOffset, mode);
    Put(txtRunSequence_, record.RunSequence, mode);
    Put(txtResetSequence_, record.ResetSequence, mode);
}

void ProfileFieldPages::SetSerialPorts(const QList<platform::SerialPortEntry>& ports,
                                       std::function<QString(int portNumber)> mappedDevice)
{
    mappedDevice_ = std::move(mappedDevice);
    const QString typed = cboCOMDevice_->currentText();
    cboCOMDevice_->clear();
    for (const platform::SerialPortEntry& port : ports) {
        // The by-id name survives replugging and other adapters coming and going.
        const QString path = port.byId.isEmpty() ? port.device : port.byId;
        const QString shown = port.description.isEmpty()
                                  ? path
                                  : QStringLiteral("%1 (%2)").arg(path, port.description);
        cboCOMDevice_->addItem(shown, path);
        cboCOMDevice_->setItemData(cboCOMDevice_->count() - 1, port.device, Qt::ToolTipRole);
    }
    // The drop-down opens wide enough for whole by-id names.
    cboCOMDevice_->view()->setMinimumWidth(cboCOMDevice_->view()->sizeHintForColumn(0));
    if (deviceEdited_) {
        cboCOMDevice_->setCurrentIndex(-1);
        cboCOMDevice_->setEditText(typed);
    } else {
        ShowMappedDevice();
    }
}

void ProfileFieldPages::ShowMappedDevice()
{
    bool isNumber = false;
    const int portNumber = cboCOMPort_->currentText().toInt(&isNumber);
    const QString device = isNumber && mappedDevice_ ? mappedDevice_(portNumber) : QString();
    // A device that is one of the items shows with its description.
    const int index = cboCOMDevice_->findData(device);
    cboCOMDevice_->setCurrentIndex(index);
    if (index < 0)
        cboCOMDevice_->setEditText(device);
    deviceShownFor_ = isNumber ? portNumber : 0;
    deviceEdited_ = false;
}

void ProfileFieldPages::DeviceEdited()
{
    deviceEdited_ = true;
    emit edited();
}

std::optional<ProfileFieldPages::DeviceChoice> ProfileFieldPages::ChosenDevice() const
{
    if (!deviceEdited_ || deviceShownFor_ < 1)
        return std::nullopt;
    // A picked item stores its path, not the text with the description.
    const QString text = cboCOMDevice_->currentText();
    const int index = cboCOMDevice_->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    return DeviceChoice{deviceShownFor_,
                        index >= 0 ? cboCOMDevice_->itemData(index).toString() : text.trimmed()};
}

void ProfileFieldPages::CollectFields(ProfileData& record, const ProfileData& activeProfile) const
{
    // The settings text is composed only from four lists that all have a selection;
    // otherwise the profile keeps the text it holds.
    const QString parity = ParityLetterForItem(cboCOMParity_->currentText());
    const bool serialComplete = !parity.isEmpty() && cboCOMBaudRate_->currentIndex() >= 0
                                && cboCOMDataBits_->currentIndex() >= 0
                                && cboCOMStopBits_->currentIndex() >= 0;
    if (serialComplete) {
        record.COMSettings = QStringList{cboCOMBaudRate_->currentText(), parity,
                                         cboCOMDataBits_->currentText(),
                                         cboCOMStopBits_->currentText()}
                                 .join(QLatin1Char(','));
    }
    ToNumber(cboCOMPort_->currentText(), record.COMPort);
    record.COMDTREnable = activeProfile.COMDTREnable;
    record.COMHandshaking = activeProfile.COMHandshaking;
    ToNumber(Collected(txtCOMInBuffersize_), record.COMInBufferSize);
    ToNumber(Collected(txtCOMOutBuffersize_), record.COMOutBufferSize);
    record.COMNullDiscard = activeProfile.COMNullDiscard;
    if (cboCPU_->currentIndex() >= 0)
        record.ProcessorCode = cboCPU_->currentText();

    const std::pair<const IndicatorGroup*, IndicatorPin*> groups[] = {
        {&busy_, &record.IndBusy}, {&fail_, &record.IndFail}};
    for (const auto& [group, pin] : groups) {
        pin->DataAddr = Collected(group->dataAddr);
        pin->DirAddr = Collected(group->dirAddr);
        pin->OpenDrainAddr = Collected(group->openDrainAddr);
        pin->Mask = Collected(group->mask);
        ToNumber(Collected(group->actLev), pin->ActLev);
    }

    record.PreLoaderFile = Collected(txtPreLoaderFile_);
    record.AMD29F0x0LoaderFile = Collected(amd29F0x0_.loaderFile);
    record.AMD29F0x0ApplFile = Collected(amd29F0x0_.applFile);
    record.AMD29F0x0ApplFileOffset = Collected(amd29F0x0_.applOffset);
    record.AT45D0x1LoaderFile = Collected(at45D0x1_.loaderFile);
    record.AT45D0x1ApplFile = Collected(at45D0x1_.applFile);
    record.AT45D0x1ApplFileOffset = Collected(at45D0x1_.applOffset);
    record.C167LoaderFile = Collected(c167_.loaderFile);
    record.C168LoaderFile = kC168LoaderFileName;
    record.C167ApplFile = Collected(c167_.applFile);
    record.C167ApplFileOffset = Collected(c167_.applOffset);
    record.DS1994LoaderFile = Collected(ds1994_.loaderFile);
    record.DS1994ApplFile = Collected(ds1994_.applFile);
    record.DS1994ApplFileOffset = Collected(ds1994_.applOffset);
    record.RunSequence = Collected(txtRunSequence_);
    record.ResetSequence = Collected(txtResetSequence_);
    record.Name.clear();
}

QString ProfileFieldPages::SequenceFault(const profiles::ProfileData& record)
{
    const int handshaking = profiles::PortSettingsFromProfile(record).handshaking;
    for (const auto& [role, text] : {std::pair{profiles::SequenceRole::Run, record.RunSequence},
                                     std::pair{profiles::SequenceRole::Reset, record.ResetSequence}}) {
        QString fault;
        const auto steps = profiles::ParseLineSequence(text, &fault);
        if (steps)
            fault = profiles::LineSequenceHandshakingFault(*steps, handshaking);
        if (!fault.isEmpty())
            return QStringLiteral("The %1 cannot be saved. %2").arg(profiles::SequenceRoleName(role), fault);
    }
    return QString();
}

}  // namespace zandor::manager
