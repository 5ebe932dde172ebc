#include "platform/IniFileBackup.h"
#include "platform/QtSettingsStore.h"
#include "platform/SettingsNameCodec.h"
#include "support/TestFiles.h"

#include <QSettings>
#include <QStringConverter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zandor::platform;
using zandor::testing::ReadTestFile;
using zandor::testing::WriteTestFile;

namespace {

constexpr unsigned kHangLimitSeconds = 10;

class SettingsStoreTest : public ::testing::Test {
protected:
    QString ini() const { return dir_.filePath("Zandor/Zandor.ini"); }
    QStringList backups() const
    {
        return QFileInfo(ini()).dir().entryList({"Zandor.ini.bak*"}, QDir::Files, QDir::Name);
    }
    QTemporaryDir dir_;
};

QStringList SortedKeys(const KeyValueList& pairs)
{
    QStringList keys;
    for (const auto& pair : pairs)
        keys << pair.first;
    keys.sort();
    return keys;
}

const QStringList kAwkwardNames = {"Plain_name-1.2", "a/b", "a\\b", "//lead/and/trail//",
                                   "with blanks ", "[x]", "a=b", "semi;colon", "#hash", "100%",
                                   "%2F", "%", "Grüße", "日本", "%General"};

}  // namespace

TEST(SettingsNameCodec, EmptyNamesAndStrayPercentSigns)
{
    EXPECT_FALSE(EncodeSettingsName("").isEmpty());
    EXPECT_EQ(DecodeSettingsName(EncodeSettingsName("")), "");
    EXPECT_EQ(DecodeSettingsName("50%x"), "50%x");  // a hand-edited '%' is taken literally
}

TEST_F(SettingsStoreTest, AwkwardNamesAndValuesSurviveWriteReadListAndDelete)
{
    const QStringList values = {"38400,N,8,1", " lead", "trail ", "two\nlines",
                                "@at",         "x;y#z", "\"q\"",  "C:\\dir\\Appl.sre"};
    auto valueFor = [&](const QString& name) {
        return values[kAwkwardNames.indexOf(name) % values.size()];
    };
    {
        QtSettingsStore store(ini());
        for (const QString& name : kAwkwardNames) {
            store.writeKey(name, name, valueFor(name));
            store.writeKey(name, "x", "1");
        }
    }
    EXPECT_TRUE(ReadTestFile(ini()).contains("[Plain_name-1.2]\nPlain_name-1.2="));
    QtSettingsStore store(ini());
    EXPECT_EQ(store.readKey("a", "b", "none"), "none");  // "a/b" is no nested group
    for (const QString& name : kAwkwardNames) {
        EXPECT_EQ(store.readKey(name, name, "missing"), valueFor(name)) << name.toStdString();
        EXPECT_EQ(SortedKeys(store.readSection(name)), SortedKeys({{name, ""}, {"x", ""}}));
        store.deleteKey(name, name);
    }
    QtSettingsStore reread(ini());
    for (const QString& name : kAwkwardNames) {
        EXPECT_EQ(SortedKeys(reread.readSection(name)), QStringList{"x"}) << name.toStdString();
        reread.deleteSection(name);
        EXPECT_TRUE(QtSettingsStore(ini()).readSection(name).isEmpty()) << name.toStdString();
    }
}

TEST_F(SettingsStoreTest, SectionsAndKeysMatchWithoutLetterCaseAndKeepTheFirstSpelling)
{
    QtSettingsStore store(ini());  // its folder does not exist yet
    store.setWriteFailureHandler([](const QString&) { ADD_FAILURE(); });
    store.writeKey("Workshop", "COMPort", "3");
    store.writeKey("WORKSHOP", "comPORT", "4");
    store.writeKey("wOrKsHoP", "Extra", "x");
    store.writeKeys("WORKSHOP", {{"comport", "5"}, {"New", "n"}, {"NEW", "m"}});  // one batch
    store.writeKey("general", "ProfileLastUsed", "W");
    EXPECT_FALSE(store.writeFailed());
    EXPECT_EQ(ReadTestFile(ini()),
              "[General]\nProfileLastUsed=W\n\n[Workshop]\nCOMPort=5\nExtra=x\nNew=m\n");
    EXPECT_EQ(QtSettingsStore(ini()).readSection("WorkShop"),
              KeyValueList({{"COMPort", "5"}, {"Extra", "x"}, {"New", "m"}}));
    store.deleteKey("workshop", "COMPORT");
    EXPECT_EQ(SortedKeys(store.readSection("Workshop")), QStringList({"Extra", "New"}));
    store.deleteSection("WORKSHOP");
    EXPECT_EQ(store.readKey("Workshop", "Extra", "gone"), "gone");
}

TEST_F(SettingsStoreTest, HandEditedFileWithGeneralSpellingsCommasAndTwoCases)
{
    ASSERT_TRUE(WriteTestFile(ini(), "[General]\nProfileLastUsed=W\n[%General]\nCOM1=/dev/ttyUSB0\n"
                                     "[Workshop]\nCOMSettings=38400,N,8,1\nCOMPort=1\n"
                                     "[workshop]\ncomport=2\n"));
    {
        QtSettingsStore store(ini());
        EXPECT_EQ(store.readKey("Workshop", "COMSettings", ""), "38400,N,8,1");
        EXPECT_EQ(store.readKey("Workshop", "COMPort", ""), "1");  // the exact spelling wins
        EXPECT_EQ(store.readKey("workshop", "comport", ""), "2");
        store.deleteKey("Workshop", "comport");  // ... and deleting removes both
        EXPECT_EQ(store.readSection("WORKSHOP"), (KeyValueList{{"COMSettings", "38400,N,8,1"}}));

        EXPECT_EQ(store.readKey("general", "com1", ""), "/dev/ttyUSB0");
        EXPECT_EQ(SortedKeys(store.readSection("GENERAL")),
                  QStringList({"COM1", "ProfileLastUsed"}));
        store.writeKey("General", "ProfileLastUsed", "Bench");
        store.writeKey("General", "COM1", "/dev/ttyACM0");
    }
    QSettings raw(ini(), QSettings::IniFormat);  // each value stays where it was found
    EXPECT_EQ(raw.value("ProfileLastUsed").toString(), "Bench");
    EXPECT_EQ(raw.value("General/COM1").toString(), "/dev/ttyACM0");
    QtSettingsStore(ini()).deleteSection("General");
    QtSettingsStore reread(ini());
    EXPECT_TRUE(reread.readSection("General").isEmpty());
    EXPECT_EQ(reread.readKey("Workshop", "COMSettings", ""), "38400,N,8,1");
}

TEST_F(SettingsStoreTest, FileWithAByteOrderMarkIsReadAndItsOriginalKept)
{
    const QString text = "[Profiles]\r\nDefault=Default\r\nBänk=Bänk\r\n"
                         "[Default]\r\nCOMPort=1\r\n[Bänk]\r\nCOMPort=2\r\n";
    for (const auto encoding :
         {QStringConverter::Utf16LE, QStringConverter::Utf16BE, QStringConverter::Utf8}) {
        SCOPED_TRACE(QStringConverter::nameForEncoding(encoding));
        QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
        const QByteArray original = encoder(text);
        QFile::remove(ini() + ".bak");
        ASSERT_TRUE(WriteTestFile(ini(), original));
        // A reader such as the command line sees the same, and changes nothing at all.
        const auto reader = QtSettingsStore::ReadOnly(ini());
        reader->writeKey("General", "ProfileLastUsed", "Bänk");
        reader->deleteSection("Default");
        EXPECT_EQ(reader->readSection("profiles"), KeyValueList({{"Bänk", "Bänk"}, {"Default", "Default"}}));
        EXPECT_EQ(reader->readKey("Default", "COMPort", ""), "1");
        EXPECT_EQ(ReadTestFile(ini()), original);
        EXPECT_TRUE(backups().isEmpty());

        QtSettingsStore store(ini());
        EXPECT_EQ(store.readSection("profiles"),
                  KeyValueList({{"Bänk", "Bänk"}, {"Default", "Default"}}));
        EXPECT_EQ(store.readKey("Bänk", "COMPort", ""), "2");
        EXPECT_EQ(store.readKey("Default", "COMPort", ""), "1");
        EXPECT_EQ(ReadTestFile(ini() + ".bak"), original);
    }
    const QByteArray plain = text.toUtf8();
    ASSERT_TRUE(WriteTestFile(ini(), plain));
    QtSettingsStore::ReadOnly(ini())->writeKey("General", "ProfileLastUsed", "Bänk");
    EXPECT_EQ(ReadTestFile(ini()), plain);
}

TEST_F(SettingsStoreTest, UnreadableFileIsCopiedBeforeItsFirstWrite)
{
    const QByteArray latin1 = "[Default]\nName=B\xe4nk\n";
    const QByteArray noEquals = "[Default]\nCOMPort=1\nno equals sign\n";
    const struct {
        const char* what;
        QByteArray contents;
        QByteArray bak;  // in Zandor.ini.bak before the run; none when empty
        QStringList backups;
    } cases[] = {
        {"not UTF-8", latin1, "", {"Zandor.ini.bak"}},
        {"format error", noEquals, "", {"Zandor.ini.bak"}},
        {"an earlier copy stays", noEquals, "older", {"Zandor.ini.bak", "Zandor.ini.bak.1"}},
        {"the same copy is not made twice", latin1, latin1, {"Zandor.ini.bak"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(QFileInfo(ini()).absolutePath()).removeRecursively();
        ASSERT_TRUE(WriteTestFile(ini(), c.contents));
        ASSERT_TRUE(c.bak.isEmpty() || WriteTestFile(ini() + ".bak", c.bak));
        QtSettingsStore store(ini());
        store.setWriteFailureHandler([](const QString& m) { ADD_FAILURE() << qPrintable(m); });
        store.readSection("Default");
        EXPECT_EQ(backups().size(), c.bak.isEmpty() ? 0 : 1);  // reading copies nothing
        store.writeKey("General", "ProfileLastUsed", "Default");
        store.writeKey("General", "COM1", "/dev/ttyUSB0");
        EXPECT_EQ(backups(), c.backups);
        EXPECT_EQ(ReadTestFile(ini() + ".bak"), c.bak.isEmpty() ? c.contents : c.bak);
        EXPECT_EQ(ReadTestFile(QFileInfo(ini()).dir().filePath(c.backups.last())), c.contents);
        EXPECT_EQ(QSettings(ini(), QSettings::IniFormat).value("COM1").toString(), "/dev/ttyUSB0");
    }
}

TEST_F(SettingsStoreTest, UnreadableFileWithoutRoomForACopyIsLeftAlone)
{
    const QByteArray original = "[Default]\nName=B\xe4nk\n";
    ASSERT_TRUE(WriteTestFile(ini(), original));
    ASSERT_TRUE(WriteTestFile(ini() + ".bak", "older"));
    for (int number = 1; number <= kMaxIniBackupNumber; ++number)
        ASSERT_TRUE(WriteTestFile(ini() + ".bak." + QString::number(number), "older"));
    QtSettingsStore store(ini());
    QStringList messages;
    store.setWriteFailureHandler([&](const QString& message) { messages << message; });
    store.writeKey("General", "ProfileLastUsed", "Default");
    store.deleteSection("Default");
    EXPECT_EQ(ReadTestFile(ini()), original);
    EXPECT_EQ(store.readKey("general", "profilelastused", ""), "Default");  // kept for this run
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("cannot be read")) << messages[0].toStdString();
}

TEST_F(SettingsStoreTest, UnwritableStoreReportsOnceAndKeepsValuesForThisRun)
{
    // Permissions do not stop root: use a path below a regular file, a folder, and a FIFO
    // (which is never opened: that would wait for a writer).
    ASSERT_TRUE(WriteTestFile(dir_.filePath("blocker")));
    ASSERT_TRUE(QDir().mkpath(ini()));
    const QString fifo = dir_.filePath("fifo.ini");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ::alarm(kHangLimitSeconds);  // a store that waits on the FIFO ends the test
    for (const QString& path : {dir_.filePath("blocker/Zandor.ini"), ini(), fifo}) {
        QtSettingsStore store(path);
        QStringList messages;
        store.setWriteFailureHandler([&](const QString& message) { messages << message; });
        store.writeKey("Default", "COMPort", "2");
        store.writeKey("Default", "COMSettings", "9600,N,8,1");
        store.deleteKey("Default", "COMPort");
        EXPECT_TRUE(store.writeFailed());
        ASSERT_EQ(messages.size(), 1);  // once, not for every write
        EXPECT_TRUE(messages[0].contains(path)) << messages[0].toStdString();
        EXPECT_EQ(store.readKey("default", "comsettings", ""), "9600,N,8,1");
        EXPECT_EQ(store.readKey("Default", "COMPort", "gone"), "gone");
    }
    // The command line's read-only store reads such a path as nothing.
    for (const QString& path : {fifo, ini()})
        EXPECT_EQ(QtSettingsStore::ReadOnly(path)->readKey("Profiles", "Bench", "none"), "none");
    ::alarm(0);
}
