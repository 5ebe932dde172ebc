#include "platform/ExecutableName.h"
#include "platform/QtSettingsStore.h"
#include "platform/SettingsNameCodec.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using zandor::platform::DecodeSettingsName;
using zandor::platform::EncodeSettingsName;
using zandor::platform::KeyValueList;
using zandor::platform::QtSettingsStore;

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString iniPath() const { return dir_.filePath(QStringLiteral("Zandor/Zandor.ini")); }

    QString fileText() const
    {
        QFile file(iniPath());
        if (!file.open(QIODevice::ReadOnly))
            return QString();
        return QString::fromUtf8(file.readAll());
    }

    void writeFile(const QByteArray& text) const
    {
        QDir().mkpath(QFileInfo(iniPath()).absolutePath());
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

    QTemporaryDir dir_;
};

QStringList KeysOf(const KeyValueList& pairs)
{
    QStringList keys;
    for (const auto& pair : pairs)
        keys << pair.first;
    return keys;
}

const QStringList kAwkwardNames = {
    QStringLiteral("Plain_name-1.2"), QStringLiteral("a/b"),       QStringLiteral("a\\b"),
    QStringLiteral("//lead/and/trail//"), QStringLiteral("with blanks "), QStringLiteral("[x]"),
    QStringLiteral("a=b"),            QStringLiteral("semi;colon"), QStringLiteral("#hash"),
    QStringLiteral("100%"),           QStringLiteral("%2F"),        QStringLiteral("%"),
    QStringLiteral("Grüße"),          QStringLiteral("日本"),        QStringLiteral("%General"),
};

}  // namespace

TEST(SettingsNameCodec, RoundTripsAndKeepsPlainNamesReadable)
{
    for (const QString& name : kAwkwardNames + QStringList{QString()}) {
        const QString encoded = EncodeSettingsName(name);
        EXPECT_FALSE(encoded.isEmpty()) << name.toStdString();
        EXPECT_FALSE(encoded.contains(QLatin1Char('/')) || encoded.contains(QLatin1Char('\\')));
        EXPECT_EQ(DecodeSettingsName(encoded), name) << name.toStdString();
    }
    EXPECT_EQ(EncodeSettingsName(QStringLiteral("Plain_name-1.2")), QStringLiteral("Plain_name-1.2"));
    // A stray '%' in a hand-edited file is taken literally.
    EXPECT_EQ(DecodeSettingsName(QStringLiteral("50%x")), QStringLiteral("50%x"));
    EXPECT_EQ(DecodeSettingsName(QStringLiteral("x%2")), QStringLiteral("x%2"));
}

TEST_F(SettingsStoreTest, AwkwardNamesSurviveWriteReadListAndDelete)
{
    {
        QtSettingsStore store(iniPath());
        for (const QString& name : kAwkwardNames)
            store.writeKey(name, name, QStringLiteral("value of ") + name);
        store.writeKey(QStringLiteral("List"), QStringLiteral("x"), QStringLiteral("1"));
        for (const QString& name : kAwkwardNames)
            store.writeKey(QStringLiteral("List"), name, name);
    }
    // Names made of letters, digits, '_', '.' and '-' stay readable in the file.
    EXPECT_TRUE(fileText().contains(QStringLiteral("[Plain_name-1.2]")));
    EXPECT_TRUE(fileText().contains(QStringLiteral("\nPlain_name-1.2=")));

    // A fresh QSettings instance reads everything back from the file.
    QtSettingsStore store(iniPath());
    for (const QString& name : kAwkwardNames) {
        EXPECT_EQ(store.readKey(name, name, QStringLiteral("missing")),
                  QStringLiteral("value of ") + name)
            << name.toStdString();
        const KeyValueList pairs = store.readSection(name);
        ASSERT_EQ(pairs.size(), 1) << name.toStdString();
        EXPECT_EQ(pairs.first().first, name);
    }
    // "a/b" must not have become a nested group of "a" or a key "b" anywhere.
    EXPECT_EQ(store.readKey(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("none")),
              QStringLiteral("none"));
    QStringList listed = KeysOf(store.readSection(QStringLiteral("List")));
    QStringList expected = kAwkwardNames + QStringList{QStringLiteral("x")};
    listed.sort();
    expected.sort();
    EXPECT_EQ(listed, expected);

    for (const QString& name : kAwkwardNames) {
        store.deleteKey(QStringLiteral("List"), name);
        store.deleteSection(name);
    }
    QtSettingsStore reread(iniPath());
    EXPECT_EQ(KeysOf(reread.readSection(QStringLiteral("List"))), QStringList{QStringLiteral("x")});
    for (const QString& name : kAwkwardNames)
        EXPECT_TRUE(reread.readSection(name).isEmpty()) << name.toStdString();
}

TEST_F(SettingsStoreTest, SectionsAndKeysMatchWithoutLetterCase)
{
    {
        QtSettingsStore store(iniPath());
        store.writeKey(QStringLiteral("Workshop"), QStringLiteral("COMPort"), QStringLiteral("3"));
        EXPECT_EQ(store.readKey(QStringLiteral("workshop"), QStringLiteral("comport"), QString()),
                  QStringLiteral("3"));
        // A second spelling replaces the value under the first spelling.
        store.writeKey(QStringLiteral("WORKSHOP"), QStringLiteral("comPORT"), QStringLiteral("4"));
        store.writeKey(QStringLiteral("wOrKsHoP"), QStringLiteral("Extra"), QStringLiteral("x"));
    }
    QtSettingsStore store(iniPath());
    const KeyValueList pairs = store.readSection(QStringLiteral("WorkShop"));
    ASSERT_EQ(pairs.size(), 2);
    EXPECT_TRUE(pairs.contains(qMakePair(QStringLiteral("COMPort"), QStringLiteral("4"))));
    EXPECT_TRUE(pairs.contains(qMakePair(QStringLiteral("Extra"), QStringLiteral("x"))));
    EXPECT_TRUE(fileText().contains(QStringLiteral("[Workshop]")));
    EXPECT_FALSE(fileText().contains(QStringLiteral("WORKSHOP"), Qt::CaseSensitive));

    store.deleteKey(QStringLiteral("workshop"), QStringLiteral("COMPORT"));
    EXPECT_EQ(KeysOf(store.readSection(QStringLiteral("Workshop"))),
              QStringList{QStringLiteral("Extra")});
    store.deleteSection(QStringLiteral("WORKSHOP"));
    EXPECT_TRUE(store.readSection(QStringLiteral("Workshop")).isEmpty());
    EXPECT_EQ(store.readKey(QStringLiteral("Workshop"), QStringLiteral("Extra"), QStringLiteral("gone")),
              QStringLiteral("gone"));
}

TEST_F(SettingsStoreTest, HandEditedSpellingsOfOneNameAreAllFoundAndDeleted)
{
    writeFile("[Workshop]\nCOMPort=1\n[workshop]\ncomport=2\nOther=o\n");
    QtSettingsStore store(iniPath());
    // The exact spelling wins; the other is still listed once and deleted with it.
    EXPECT_EQ(store.readKey(QStringLiteral("Workshop"), QStringLiteral("COMPort"), QString()),
              QStringLiteral("1"));
    EXPECT_EQ(store.readKey(QStringLiteral("workshop"), QStringLiteral("comport"), QString()),
              QStringLiteral("2"));
    EXPECT_EQ(store.readSection(QStringLiteral("WORKSHOP")).size(), 2);
    store.deleteKey(QStringLiteral("Workshop"), QStringLiteral("comport"));
    EXPECT_EQ(KeysOf(store.readSection(QStringLiteral("Workshop"))),
              QStringList{QStringLiteral("Other")});
    store.deleteSection(QStringLiteral("Workshop"));
    EXPECT_TRUE(store.readSection(QStringLiteral("workshop")).isEmpty());
}

TEST_F(SettingsStoreTest, ValuesComeBackAsTextAlsoWhenHandEditedWithCommas)
{
    writeFile("[Workshop]\nCOMSettings=38400,N,8,1\nQuoted=\"19200,E,7,2\"\nEmpty=\n");
    QtSettingsStore store(iniPath());
    EXPECT_EQ(store.readKey(QStringLiteral("Workshop"), QStringLiteral("COMSettings"), QString()),
              QStringLiteral("38400,N,8,1"));
    EXPECT_EQ(store.readKey(QStringLiteral("Workshop"), QStringLiteral("Quoted"), QString()),
              QStringLiteral("19200,E,7,2"));
    EXPECT_EQ(store.readKey(QStringLiteral("Workshop"), QStringLiteral("Empty"), QStringLiteral("d")),
              QString());
    const KeyValueList pairs = store.readSection(QStringLiteral("Workshop"));
    EXPECT_TRUE(pairs.contains(qMakePair(QStringLiteral("COMSettings"), QStringLiteral("38400,N,8,1"))));

    const QStringList values = {QStringLiteral("38400,N,8,1"), QStringLiteral(" lead"),
                                QStringLiteral("trail "),      QStringLiteral("two\nlines"),
                                QStringLiteral("@at"),         QStringLiteral("x;y#z"),
                                QStringLiteral("\"q\""),       QStringLiteral("C:\\dir\\Appl.sre")};
    for (int i = 0; i < values.size(); ++i)
        store.writeKey(QStringLiteral("Values"), QStringLiteral("v%1").arg(i), values[i]);
    QtSettingsStore reread(iniPath());
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(reread.readKey(QStringLiteral("Values"), QStringLiteral("v%1").arg(i), QString()),
                  values[i]);
}

TEST_F(SettingsStoreTest, GeneralSectionInBothFileSpellings)
{
    writeFile("[General]\nProfileLastUsed=Workshop\n\n[%General]\nCOM1=/dev/ttyUSB0\n\n"
              "[Profiles]\nDefault=Default\n");
    {
        QtSettingsStore store(iniPath());
        EXPECT_EQ(store.readKey(QStringLiteral("General"), QStringLiteral("ProfileLastUsed"), QString()),
                  QStringLiteral("Workshop"));
        EXPECT_EQ(store.readKey(QStringLiteral("general"), QStringLiteral("com1"), QString()),
                  QStringLiteral("/dev/ttyUSB0"));
        QStringList keys = KeysOf(store.readSection(QStringLiteral("GENERAL")));
        keys.sort();
        EXPECT_EQ(keys, (QStringList{QStringLiteral("COM1"), QStringLiteral("ProfileLastUsed")}));
        // Keys of other sections are not part of General.
        EXPECT_EQ(store.readKey(QStringLiteral("General"), QStringLiteral("Default"), QStringLiteral("no")),
                  QStringLiteral("no"));

        store.writeKey(QStringLiteral("General"), QStringLiteral("ProfileLastUsed"), QStringLiteral("Bench"));
        store.writeKey(QStringLiteral("General"), QStringLiteral("COM1"), QStringLiteral("/dev/ttyACM0"));
        store.writeKey(QStringLiteral("General"), QStringLiteral("New"), QStringLiteral("n"));
    }
    {
        QSettings raw(iniPath(), QSettings::IniFormat);
        EXPECT_EQ(raw.value(QStringLiteral("ProfileLastUsed")).toString(), QStringLiteral("Bench"));
        EXPECT_EQ(raw.value(QStringLiteral("New")).toString(), QStringLiteral("n"));
        EXPECT_EQ(raw.value(QStringLiteral("General/COM1")).toString(), QStringLiteral("/dev/ttyACM0"));
    }
    QtSettingsStore store(iniPath());
    store.deleteKey(QStringLiteral("General"), QStringLiteral("com1"));
    EXPECT_EQ(store.readKey(QStringLiteral("General"), QStringLiteral("COM1"), QStringLiteral("gone")),
              QStringLiteral("gone"));
    store.deleteSection(QStringLiteral("General"));
    QtSettingsStore reread(iniPath());
    EXPECT_TRUE(reread.readSection(QStringLiteral("General")).isEmpty());
    EXPECT_EQ(reread.readKey(QStringLiteral("Profiles"), QStringLiteral("Default"), QString()),
              QStringLiteral("Default"));
}

TEST_F(SettingsStoreTest, GeneralWrittenFirstByTheProgramIsAPlainGeneralSection)
{
    {
        QtSettingsStore store(iniPath());
        store.writeKey(QStringLiteral("general"), QStringLiteral("ProfileLastUsed"), QStringLiteral("W"));
    }
    EXPECT_TRUE(fileText().contains(QStringLiteral("[General]\nProfileLastUsed=W")));
}

TEST_F(SettingsStoreTest, UnwritableStoreReportsOnceAndKeepsValuesForThisRun)
{
    // Permissions do not stop root, so make the file path unusable instead: its
    // parent is a regular file.
    QFile blocker(dir_.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString path = dir_.filePath(QStringLiteral("blocker/Zandor.ini"));

    QtSettingsStore store(path);
    QStringList messages;
    store.setWriteFailureHandler([&](const QString& message) { messages << message; });
    store.writeKey(QStringLiteral("Profiles"), QStringLiteral("Default"), QStringLiteral("Default"));
    store.writeKey(QStringLiteral("Default"), QStringLiteral("COMPort"), QStringLiteral("2"));
    store.deleteKey(QStringLiteral("Default"), QStringLiteral("COMPort"));
    store.writeKey(QStringLiteral("Default"), QStringLiteral("COMSettings"), QStringLiteral("9600,N,8,1"));

    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(store.writeFailed());
    EXPECT_EQ(messages.first(), QStringLiteral("The settings file %1 cannot be written. "
                                               "Profile changes will not be kept.")
                                    .arg(QDir::toNativeSeparators(path)));
    EXPECT_EQ(store.readKey(QStringLiteral("Profiles"), QStringLiteral("Default"), QString()),
              QStringLiteral("Default"));
    EXPECT_EQ(store.readKey(QStringLiteral("default"), QStringLiteral("comsettings"), QString()),
              QStringLiteral("9600,N,8,1"));
    EXPECT_EQ(store.readKey(QStringLiteral("Default"), QStringLiteral("COMPort"), QStringLiteral("gone")),
              QStringLiteral("gone"));
}

TEST_F(SettingsStoreTest, IniPathThatIsAFolderIsReportedToo)
{
    ASSERT_TRUE(QDir().mkpath(iniPath()));
    QtSettingsStore store(iniPath());
    int calls = 0;
    store.setWriteFailureHandler([&](const QString&) { ++calls; });
    store.writeKey(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("v"));
    store.writeKey(QStringLiteral("A"), QStringLiteral("k2"), QStringLiteral("v2"));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(store.readKey(QStringLiteral("a"), QStringLiteral("K2"), QString()), QStringLiteral("v2"));
}

TEST_F(SettingsStoreTest, WritableStoreNeverReportsAndCreatesItsFolder)
{
    QtSettingsStore store(iniPath());
    int calls = 0;
    store.setWriteFailureHandler([&](const QString&) { ++calls; });
    store.writeKey(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("v"));
    store.deleteSection(QStringLiteral("A"));
    store.deleteSection(QStringLiteral("General"));
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(store.writeFailed());
    EXPECT_TRUE(QFileInfo(iniPath()).isFile());
}

TEST(SettingsStorePaths, DefaultIniPathFollowsXdgConfigHome)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/xdg-test-home");
    EXPECT_EQ(QtSettingsStore::DefaultIniPath(QStringLiteral("Zandor")),
              QStringLiteral("/tmp/xdg-test-home/Zandor/Zandor.ini"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(QtSettingsStore::DefaultIniPath(QStringLiteral("Other")),
              QDir::homePath() + QStringLiteral("/.config/Other/Other.ini"));
    if (wasSet)
        qputenv("XDG_CONFIG_HOME", saved);
}

TEST(ExecutableName, IsTheBaseNameOfThisProgram)
{
    EXPECT_EQ(zandor::platform::ExecutableBaseName(), QStringLiteral("platform_tests"));
}
