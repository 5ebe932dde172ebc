#include "platform/PortOpenError.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace zandor::platform;

// A refused open advises joining the device's group only where that group has the rights.
TEST(PortOpenError, PermissionAdviceFollowsTheDevicesGroupRights)
{
    QTemporaryDir dir;
    for (auto [permissions, advice] :
         {std::pair{QFile::ReadOwner | QFile::WriteOwner, "ask the administrator for a udev rule"},
          {QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup, "add your user to the group"}}) {
        const QString device = dir.filePath(QStringLiteral("tty%1").arg(int(permissions)));
        QFile file(device);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        ASSERT_TRUE(file.setPermissions(permissions));
        const QString text = DescribePortOpenFailure({PortOpenProblem::PermissionDenied, 0, device, QString()});
        EXPECT_TRUE(text.contains(QLatin1String(advice))) << text.toStdString();
    }
}
