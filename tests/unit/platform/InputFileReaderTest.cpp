#include "platform/InputFileReader.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace zandor::platform;

// Whatever is not a regular file of a sane size is refused without being opened, so a FIFO
// cannot block the program and a device cannot fill its memory.
TEST(InputFileReader, OnlyRegularFilesOfASaneSizeAreRead)
{
    QTemporaryDir dir;
    const QString previousDir = QDir::currentPath();
    ASSERT_TRUE(dir.isValid() && QDir::setCurrent(dir.path()));
    ASSERT_EQ(mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    QFile huge(dir.filePath("huge.bin"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(100 * 1024 * 1024));  // sparse
    ASSERT_TRUE(zandor::testing::WriteTestFile(dir.filePath("ok.bin"), "abc"));
    for (auto [path, error, reason] :
         {std::tuple{QString("fifo"), InputFileError::NotRegular, "FIFO"},
          {"folder", InputFileError::NotRegular, "folder"},
          {"/dev/zero", InputFileError::NotRegular, "device"},
          {"huge.bin", InputFileError::TooLarge, "104857600 bytes"},
          {"missing.bin", InputFileError::Missing, "does not exist"},
          {"", InputFileError::Missing, "no file name"}}) {
        const InputFile file = ReadInputFile(path);
        EXPECT_EQ(file.error, error) << path.toStdString();
        EXPECT_TRUE(file.reason.contains(QLatin1String(reason))) << file.reason.toStdString();
        EXPECT_TRUE(file.bytes.isEmpty());
    }
    EXPECT_EQ(ReadInputFile("ok.bin").bytes, "abc");
    QDir::setCurrent(previousDir);
}
