#pragma once

#include "ISerialPort.h"
#include "ISettingsStore.h"

#include <QObject>
#include <QSerialPort>
#include <functional>

namespace zandor::platform {

// The device of a port number: the value of key COM<n> of section "General" when the
// user has set one (COM1=/dev/ttyUSB0 for a USB adapter), else the system's usual name
// (DefaultDeviceForPort).
QString DeviceNameForPort(ISettingsStore& store, int portNumber);

// The one serial line to the target, on QSerialPort. Received bytes are taken from
// QSerialPort while the event loop runs (the protocol's waits pump it); nothing here
// blocks.
class QtSerialPort : public QObject, public ISerialPort {
    Q_OBJECT
public:
    using DeviceForPort = std::function<QString(int portNumber)>;

    explicit QtSerialPort(DeviceForPort deviceForPort, QObject* parent = nullptr);
    ~QtSerialPort() override;

    bool open(const PortSettings& settings, QString* reason) override;
    void close() override;
    bool isOpen() const override;
    bool write(const QByteArray& bytes) override;
    QByteArray readAllPending() override;
    qint64 pendingCount() override;
    bool hasFailed() const override { return failed_; }

    // The device of the last open attempt, for messages.
    QString deviceName() const { return port_.portName(); }

private:
    void onError(QSerialPort::SerialPortError error);
    // Moves what QSerialPort has received into our own buffer, dropping zero bytes
    // when the profile asks for it.
    void takeReceived();

    DeviceForPort deviceForPort_;
    QSerialPort port_;
    QByteArray received_;
    bool nullDiscard_ = false;
    bool failed_ = false;
};

}  // namespace zandor::platform
