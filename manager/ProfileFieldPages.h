#pragma once

#include "FileBrowsing.h"
#include "platform/SerialPortList.h"
#include "profiles/ProfileData.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <optional>

class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QWidget;

namespace zandor::manager {

// The six pages of the profile manager, one field for each setting of a profile:
// 1 general (serial settings, processor), 2 C167 files, 3 indicator pins,
// 4 AMD29F0x0 files, 5 AT45D0x1 files, 6 DS1994 files.
//
// The pages remember, per field, the value they were last given and the text that it
// showed. A field whose text is still that text counts as unedited: collecting it gives
// back the loaded value (so a value the field had to shorten is not cut), and a refresh
// may replace it with a newer stored value without losing anything the user typed.
class ProfileFieldPages : public QObject {
    Q_OBJECT

public:
    static constexpr int kPageCount = 6;

    enum class WriteMode {
        ReplaceAll,  // show a profile: every field takes the record's value
        KeepEdits,   // refresh: fields the user has edited keep their text
    };

    // Builds the six pages as hidden, borderless children of `pageParent`.
    explicit ProfileFieldPages(QWidget* pageParent);

    // Page 1 to 6.
    QFrame* page(int index) const;

    // Writes the record's values into the fields. Values that are no item of a drop-down
    // list leave that list's selection as it was.
    void WriteFields(const profiles::ProfileData& record, WriteMode mode);

    // Builds a record from the fields. `record` comes in holding the profile's stored
    // values: a field whose text does not convert (an emptied number, a list without a
    // selection) leaves that value in place. The serial values that no field shows come
    // from `activeProfile`; the C168 loader is always "LoaderC168.sre"; Name is emptied.
    void CollectFields(profiles::ProfileData& record,
                       const profiles::ProfileData& activeProfile) const;

    // The Device row: the serial ports it offers, and where it reads the device that a port
    // number opens now (key COM<n> of "General", or the system's usual device). The row
    // shows that device for the selected port number and follows a change of it.
    void SetSerialPorts(const QList<platform::SerialPortEntry>& ports,
                        std::function<QString(int portNumber)> mappedDevice);

    struct DeviceChoice {
        int portNumber = 0;
        QString device;  // the path to store: a by-id link, a device, or what was typed
    };
    // The device the user picked or typed in the Device row for the selected port number;
    // none while the row shows the port's present device.
    std::optional<DeviceChoice> ChosenDevice() const;

    // Why the collected record's sequences cannot be saved (a step that does not parse, an
    // RTS step under RTS/CTS handshaking), the sequence and the step named; empty when both can.
    static QString SequenceFault(const profiles::ProfileData& record);

    // The record last given to WriteFields.
    const profiles::ProfileData& loadedRecord() const { return loaded_; }

    // Asks for a file and writes its full path into `field` unless the user cancelled.
    void BrowseForFile(const QString& filter, QLineEdit* field);
    void setOpenFileDialog(OpenFileDialog dialog);

signals:
    // A field with an edit handler changed, or a list was picked from: Apply is due.
    void edited();

private:
    struct MemoryPage {
        QLineEdit* loaderFile = nullptr;
        QPushButton* loaderBrowse = nullptr;
        QLineEdit* applFile = nullptr;
        QPushButton* applBrowse = nullptr;
        QLineEdit* applOffset = nullptr;
    };
    struct IndicatorGroup {
        QLineEdit* dataAddr = nullptr;
        QLineEdit* dirAddr = nullptr;
        QLineEdit* openDrainAddr = nullptr;
        QLineEdit* mask = nullptr;
        QLineEdit* actLev = nullptr;
    };
    struct FieldMemory {
        QString loaded;  // the value as given
        QString shown;   // the text the field showed after it (may be shortened)
    };

    QFrame* NewPage(QWidget* pageParent, int index);
    void BuildGeneralPage(QFrame* page);
    MemoryPage BuildMemoryPage(QFrame* page, const QString& device);
    void BuildIndicatorPage(QFrame* page);
    IndicatorGroup BuildIndicatorGroup(QWidget* group, const QString& which);
    QComboBox* NewList(QFrame* page, const QString& name, const QString& caption, int top,
                       const QStringList& items);
    void ConnectBrowse(QPushButton* button, QLineEdit* field, const QString& filter);
    QComboBox* NewDeviceList(QFrame* page, int top);
    QLineEdit* NewSequenceRow(QFrame* page, const QString& name, const QString& caption, int top);
    void ShowMappedDevice();
    void DeviceEdited();

    void Put(QLineEdit* field, const QString& value, WriteMode mode);
    void Put(QComboBox* list, const QString& item, WriteMode mode);
    bool IsEdited(const QObject* field, const QString& currentText) const;
    QString Collected(const QLineEdit* field) const;

    std::array<QFrame*, kPageCount> pages_{};

    QComboBox* cboCOMPort_ = nullptr;
    QComboBox* cboCOMDevice_ = nullptr;  // items: text shown, data the path to store
    QComboBox* cboCOMBaudRate_ = nullptr;
    QComboBox* cboCOMDataBits_ = nullptr;
    QComboBox* cboCOMParity_ = nullptr;
    QComboBox* cboCOMStopBits_ = nullptr;
    QComboBox* cboCPU_ = nullptr;
    QLineEdit* txtPreLoaderFile_ = nullptr;
    QLineEdit* txtCOMInBuffersize_ = nullptr;
    QLineEdit* txtCOMOutBuffersize_ = nullptr;
    QLineEdit* txtRunSequence_ = nullptr;
    QLineEdit* txtResetSequence_ = nullptr;

    MemoryPage c167_;
    MemoryPage amd29F0x0_;
    MemoryPage at45D0x1_;
    MemoryPage ds1994_;
    IndicatorGroup busy_;
    IndicatorGroup fail_;

    QHash<const QObject*, FieldMemory> memory_;
    std::function<QString(int portNumber)> mappedDevice_;
    int deviceShownFor_ = 0;     // the port number whose device the Device row was given
    bool deviceEdited_ = false;  // the user has picked or typed since
    profiles::ProfileData loaded_;
    OpenFileDialog openFileDialog_;
    QString lastBrowsedFile_;
};

}  // namespace zandor::manager
