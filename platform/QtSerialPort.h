#pragma once

#include "DescriptorModemLines.h"
#include "ISerialPort.h"
#include "ISettingsStore.h"
#include "LowLatency.h"
#include "PortOpenError.h"
#include "SerialPortList.h"

#include <QObject>
#include <QSerialPort>
#include <functional>
#include <optional>

namespace zandor::platform {

// The one serial line to the target, on QSerialPort. Received bytes are taken from
// QSerialPort while the event loop runs (the protocol's waits pump it); nothing here
// blocks.
class QtSerialPort : public QObject, public ISerialPort {
    Q_OBJECT
public:
    using DeviceForPort = std::function<QString(int portNumber)>;

    explicit QtSerialPort(DeviceForPort deviceForPort, QObject* parent = nullptr);
    // `driverFlags` stands in for the driver's low-latency switch (tests).
    QtSerialPort(DeviceForPort deviceForPort, SerialDriverFlags driverFlags,
                 QObject* parent = nullptr);
    ~QtSerialPort() override;

    bool open(const PortSettings& settings, QString* reason) override;
    void close() override;
    bool isOpen() const override;
    bool write(const QByteArray& bytes) override;
    QByteArray readAllPending() override;
    qint64 pendingCount() override;
    bool hasFailed() const override { return failed_; }
    IModemLines* modemLines() override;

    // Whether the driver of the open port hands on received bytes at once.
    LowLatencyState lowLatency() const { return lowLatencyState_; }

private:
    bool refuse(const PortOpenFailure& failure, QString* reason);
    void closeDevice();
    // Puts DTR and RTS at the profile's levels and, when asked, keeps them past the close.
    bool applyLineLevels(const PortSettings& settings, QString* reason);
    void onError(QSerialPort::SerialPortError error);
    // Moves what QSerialPort has received into our own buffer, dropping zero bytes
    // when the profile asks for it.
    void takeReceived();

    DeviceForPort deviceForPort_;
    QSerialPort port_;
    QString device_;
    LowLatencyMode lowLatencyMode_;
    LowLatencyState lowLatencyState_ = LowLatencyState::Unsupported;
    QByteArray received_;
    bool nullDiscard_ = false;
    bool failed_ = false;
    std::optional<DescriptorModemLines> modemLines_;  // while the device is open
    bool keepLinesAtClose_ = false;
};

}  // namespace zandor::platform
