#include "platform/SerialCounterFile.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>
#include <vector>

using zandor::platform::PeekSerialNumber;
using zandor::platform::TakeSerialNumber;
using zandor::testing::ReadTestFile;
using zandor::testing::WriteTestFile;

// Each taker opens the file for itself, as gang boards and separate programs do; the
// file is replaced by a rename after every take, so takers that waited on the old file
// must notice and start again.
TEST(SerialCounterFile, ConcurrentTakersNeverGetTheSameNumber)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("serial.txt"));
    constexpr int kTakers = 6;
    constexpr int kTakesEach = 40;
    constexpr std::uint64_t kStart = 1000;
    constexpr std::uint64_t kStep = 3;
    std::vector<std::vector<std::uint64_t>> taken(kTakers);
    std::vector<std::thread> takers;
    for (int t = 0; t < kTakers; ++t) {
        takers.emplace_back([&, t] {
            for (int i = 0; i < kTakesEach; ++i) {
                if (const auto number = TakeSerialNumber(path, kStart, kStep))
                    taken[t].push_back(*number);
            }
        });
    }
    for (std::thread& taker : takers)
        taker.join();

    std::set<std::uint64_t> all;
    for (const auto& numbers : taken) {
        EXPECT_EQ(numbers.size(), std::size_t(kTakesEach));
        EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
        all.insert(numbers.begin(), numbers.end());
    }
    ASSERT_EQ(all.size(), std::size_t(kTakers * kTakesEach));  // no number twice
    EXPECT_EQ(*all.begin(), kStart);
    EXPECT_EQ(*all.rbegin(), kStart + kStep * (kTakers * kTakesEach - 1));  // and none skipped
    EXPECT_EQ(ReadTestFile(path), QByteArray::number(qulonglong(kStart + kStep * kTakers * kTakesEach)) + '\n');
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".tmp")));
}

TEST(SerialCounterFile, RestartContinuesFromTheFileAndIgnoresTheStart)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("serial.txt"));
    EXPECT_EQ(PeekSerialNumber(path, 500), 500u);
    EXPECT_FALSE(QFile::exists(path));  // looking creates nothing
    EXPECT_EQ(TakeSerialNumber(path, 500, 1), 500u);
    EXPECT_EQ(TakeSerialNumber(path, 1, 1), 501u);  // a later run's start does not rewind the line
    EXPECT_EQ(PeekSerialNumber(path, 1), 502u);
    ASSERT_TRUE(WriteTestFile(path, "  77\r\n"));  // edited by hand
    EXPECT_EQ(TakeSerialNumber(path, 1, 10), 77u);
    EXPECT_EQ(ReadTestFile(path), QByteArray("87\n"));
}

TEST(SerialCounterFile, WhatIsNotANumberOrWouldOverflowIsRefusedAndLeftAlone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("serial.txt"));
    for (const QByteArray& bad : {QByteArray("12a\n"), QByteArray("-5"), QByteArray(" \n"), QByteArray("1 2"),
                                  QByteArray("18446744073709551616"), QByteArray(100, '1')}) {
        ASSERT_TRUE(WriteTestFile(path, bad));
        QString fault;
        EXPECT_FALSE(TakeSerialNumber(path, 1, 1, &fault)) << bad.constData();
        EXPECT_TRUE(fault.contains(path)) << fault.toStdString();
        EXPECT_EQ(ReadTestFile(path), bad);
    }
    ASSERT_TRUE(WriteTestFile(path, "18446744073709551614"));
    QString fault;
    EXPECT_FALSE(TakeSerialNumber(path, 1, 2, &fault));
    EXPECT_TRUE(fault.contains(QLatin1String("largest"))) << fault.toStdString();
    EXPECT_EQ(TakeSerialNumber(path, 1, 1), 18446744073709551614ull);
    EXPECT_FALSE(TakeSerialNumber(path, 1, 0));

    QString missingFolder;
    EXPECT_FALSE(TakeSerialNumber(dir.filePath(QStringLiteral("no/such/serial.txt")), 1, 1, &missingFolder));
    EXPECT_TRUE(missingFolder.contains(QLatin1String("no/such"))) << missingFolder.toStdString();
}
