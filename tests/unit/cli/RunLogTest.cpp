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

// Every line has every key, null where it does not apply, so a script reading the log can
// rely on them: a board that succeeded, and one that failed in the middle of its download.
TEST(RunLog, EveryLineHasEveryKey)
{
    BoardRecord ok = Board(1);
    ok.chip = 0xC5;
    ok.serial = 1005;
    ok.skippedRecords = 2;
    BoardRecord failed = Board(2);
    failed.exitCode = 7;
    failed.phase = QStringLiteral("download");
    failed.record = 3;
    failed.address = 0x10080;
    failed.message = QStringLiteral("download: record 3 refused");
    failed.serial = 1006;

    struct Expect {
        const char* key;
        QJsonValue ok;
        QJsonValue failed;
    };
    const Expect expectations[] = {
        {"chip", QStringLiteral("C5"), QJsonValue()},
        {"serial", 1005, 1006},
        {"skipped_records", 2, QJsonValue()},
        {"phase", QJsonValue(), QStringLiteral("download")},
        {"bank", QJsonValue(), QJsonValue()},
        {"record", QJsonValue(), 3},
        {"address", QJsonValue(), QStringLiteral("10080")},
        {"message", QJsonValue(), QStringLiteral("download: record 3 refused")},
        {"operator", QJsonValue(), QJsonValue()},
        {"image_sha256", QJsonValue(), QJsonValue()},
        {"result", QStringLiteral("ok"), QStringLiteral("failed")},
    };
    const QJsonObject okLine = BoardRecordJson(ok);
    const QJsonObject failedLine = BoardRecordJson(failed);
    for (const QJsonObject& line : {okLine, failedLine}) {
        QStringList keys = line.keys();
        QStringList pinned = BoardRecordKeys();
        keys.sort();
        pinned.sort();
        EXPECT_EQ(keys, pinned);
    }
    for (const Expect& e : expectations) {
        EXPECT_EQ(okLine.value(e.key), e.ok) << e.key;
        EXPECT_EQ(failedLine.value(e.key), e.failed) << e.key;
    }
    EXPECT_FALSE(okLine.value("version").toString().isEmpty());
    EXPECT_TRUE(okLine.value("started").isNull());
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
