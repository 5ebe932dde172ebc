#include "cli/RunLog.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace zandor::cli;

namespace {

BoardRecord Board(int number)
{
    BoardRecord record;
    record.port = QStringLiteral("/dev/ttyUSB0");
    record.board = number;
    return record;
}

}  // namespace

// A writer appends only while it holds the log's lock, so a line cut short can be taken
// back before another writer's line follows it.
TEST(RunLog, AWriterWaitsForTheLockBeforeItAppends)
{
    QTemporaryDir dir;
    const QString log = dir.filePath("boards.jsonl");
    const int holder = ::open(QFile::encodeName(log).constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    std::atomic<bool> appended{false};
    std::thread writer([&] {
        QString error;
        appended = AppendBoardRecord(log, Board(1), &error);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(appended);
    EXPECT_EQ(QFileInfo(log).size(), 0);
    ::flock(holder, LOCK_UN);
    ::close(holder);
    writer.join();
    EXPECT_TRUE(appended);
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_EQ(text.count('\n'), 1);
    EXPECT_EQ(QJsonDocument::fromJson(text).object().value("board").toInt(), 1);
}

// A FIFO nobody reads is refused at once (opening it for writing would wait for a reader);
// one with a reader is written to.
TEST(RunLog, AFifoIsWrittenOnlyWithAReader)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("collector");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QString error;
    EXPECT_FALSE(CanAppendTo(fifo, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("FIFO"))) << error.toStdString();
    EXPECT_FALSE(AppendBoardRecord(fifo, Board(1), &error));

    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(CanAppendTo(fifo, &error));
    EXPECT_TRUE(AppendBoardRecord(fifo, Board(2), &error)) << error.toStdString();
    char line[1024];
    const ssize_t got = ::read(reader, line, sizeof line);
    ::close(reader);
    ASSERT_GT(got, 0);
    EXPECT_EQ(line[got - 1], '\n');
}
