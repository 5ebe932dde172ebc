#pragma once

#include "app/WindowProtocolView.h"
#include "support/FakeEventPump.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingReporter.h"
#include "support/TestFiles.h"
#include "protocol/TargetOperations.h"
#include "protocol/ReplyCodes.h"
#include "protocol/SRecordCodec.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace zandor::testing {

// Shows the events as the window does and keeps the step ends for checks of their details.
struct WindowAndEnds : app::WindowProtocolView {
    using app::WindowProtocolView::WindowProtocolView;
    void onStepEnd(const protocol::StepEndEvent& event) override
    {
        ends.append(event);
        app::WindowProtocolView::onStepEnd(event);
    }
    QList<protocol::StepEndEvent> ends;
};

// A target on fakes, in a temporary current folder (the profile names files relative to it).
class ProtocolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid() && QDir::setCurrent(dir.path()));
    }
    void TearDown() override { QDir::setCurrent(previousDir); }

    void writeFile(const QString& name, const QByteArray& bytes)
    {
        ASSERT_TRUE(WriteTestFile(dir.filePath(name), bytes));
    }

    // Reads the memory kind's application file into an image and downloads it.
    protocol::Outcome program(profiles::MemoryKind memoryKind)
    {
        const protocol::ApplicationLoad load = protocol::LoadApplicationImage(profile, memoryKind);
        if (!load.image) {
            report.messageBox(load.fault.text, app::MessageIcon::Exclamation);
            return protocol::Outcome::BadInput;
        }
        return protocol::SendApplication(target, *load.image, memoryKind);
    }

    void acknowledgeEveryWrite() { port.setResponder([](auto&, FakeSerialPort& p) { p.queueReceived("*"); }); }

    // Answers `firstReply` to a first zero byte (when given) and "*" once `loaderBytes`
    // bytes have been written in all.
    void simulateTarget(qint64 loaderBytes, const QByteArray& firstReply = QByteArray())
    {
        auto written = std::make_shared<qint64>(0);
        port.setResponder([=](const QByteArray& bytes, FakeSerialPort& p) {
            const bool first = *written == 0;
            *written += bytes.size();
            if (first && bytes == QByteArray(1, '\0') && !firstReply.isEmpty())
                p.queueReceived(firstReply);
            else if (*written == loaderBytes)
                p.queueReceived("*");
        });
    }

    QTemporaryDir dir;
    QString previousDir = QDir::currentPath();
    FakeSerialPort port;
    FakeEventPump pump;
    RecordingReporter report;
    WindowAndEnds view{report};
    profiles::ProfileData profile;
    protocol::Target target{port, view, pump, profile};
};

inline QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int v : values)
        bytes.append(static_cast<char>(v));
    return bytes;
}

// An S-record line with a right checksum.
inline QByteArray SLine(char type, const QByteArray& addressDigits, const QByteArray& data)
{
    const QByteArray fields =
        QByteArray::number(addressDigits.size() / 2 + data.size() + 1, 16).rightJustified(2, '0').toUpper()
        + addressDigits + data.toHex().toUpper();
    return QByteArray("S") + type + fields + protocol::SRecordChecksum(fields)->toLatin1();
}

}  // namespace zandor::testing

using namespace zandor::protocol;
using zandor::app::MessageIcon;
using namespace zandor::testing;
namespace profiles = zandor::profiles;
