#include "platform/QtSettingsStore.h"
#include "profiles/ProfileKeys.h"
#include "profiles/ProfileStore.h"

#include <QMap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zandor::profiles;
using zandor::platform::KeyValueList;
using zandor::platform::QtSettingsStore;

namespace {

class ProfileStoreTest : public ::testing::Test {
protected:
    ProfileStoreTest()
        : settings_(dir_.filePath(QStringLiteral("Zandor/Zandor.ini"))),
          store_(settings_, [this](const QString& text) { warnings_ << text; })
    {
    }

    QMap<QString, QString> sectionMap(const QString& section)
    {
        QMap<QString, QString> map;
        for (const auto& [key, value] : settings_.readSection(section))
            map.insert(key, value);
        return map;
    }

    QTemporaryDir dir_;
    QtSettingsStore settings_;
    QStringList warnings_;
    ProfileStore store_;
};

const QMap<QString, QString> kDefaultTexts = {
    {"COMPort", "1"},
    {"COMDTREnable", "False"},
    {"COMHandshaking", "False"},
    {"COMInBufferSize", "2048"},
    {"COMOutBufferSize", "2048"},
    {"COMNullDiscard", "False"},
    {"COMSettings", "38400,N,8,1"},
    {"IndBusyDataAddr", ""},
    {"IndBusyDirAddr", ""},
    {"IndBusyOpenDrainAddr", ""},
    {"IndBusyMask", ""},
    {"IndBusyActLev", "0"},
    {"IndFailDataAddr", ""},
    {"IndFailDirAddr", ""},
    {"IndFailOpenDrainAddr", ""},
    {"IndFailMask", ""},
    {"IndFailActLev", "0"},
    {"PreLoaderFile", "PreLoad.bin"},
    {"AMD29F0x0LoaderFile", "LoaderAMD29F0x0.sre"},
    {"AMD29F0x0ApplFile", "ApplAMD29F0x0.sre"},
    {"AMD29F0x0ApplFileOffset", "00000000"},
    {"AT45D0x1LoaderFile", "LoaderAT45D0x1.sre"},
    {"AT45D0x1ApplFile", "ApplAT45D0x1.sre"},
    {"AT45D0x1ApplFileOffset", "00000000"},
    {"C167LoaderFile", "LoaderC167.sre"},
    {"C168LoaderFile", "LoaderC168.sre"},
    {"C167ApplFile", "Appl.sre"},
    {"C167ApplFileOffset", ""},
    {"DS1994LoaderFile", "LoaderDS1994.sre"},
    {"DS1994ApplFile", "ApplDS1994.sre"},
    {"DS1994ApplFileOffset", "00000000"},
    {"ProcessorCode", "C167"},
};

ProfileData UnusualRecord()
{
    ProfileData r;
    r.COMPort = -32768;
    r.COMDTREnable = true;
    r.COMHandshaking = true;
    r.COMInBufferSize = 2147483647;
    r.COMOutBufferSize = -2147483647 - 1;
    r.COMNullDiscard = true;
    r.COMSettings = QStringLiteral("115200,E,7,2");
    r.IndBusy = {QStringLiteral("FFC2"), QStringLiteral("FFC6"), QStringLiteral("F1C6"),
                 QStringLiteral("0010"), 255};
    r.IndFail = {QStringLiteral("a"), QStringLiteral(""), QStringLiteral("c d"),
                 QStringLiteral("x,y"), 1};
    r.PreLoaderFile = QStringLiteral("/opt/boards/pre load.bin");
    r.C167ApplFile = QStringLiteral("C:\\work\\Appl.sre");
    r.C167ApplFileOffset = QStringLiteral("0001C000");
    r.DS1994ApplFileOffset = QString();
    r.ProcessorCode = QStringLiteral("ST10F168");
    return r;
}

}  // namespace

TEST(ProfileTextForms, BooleansAndIntegers)
{
    EXPECT_EQ(BoolToText(true), QStringLiteral("True"));
    EXPECT_EQ(BoolToText(false), QStringLiteral("False"));
    EXPECT_EQ(BoolFromText(QStringLiteral("tRUE")), true);
    EXPECT_EQ(BoolFromText(QStringLiteral("FALSE")), false);
    EXPECT_EQ(BoolFromText(QStringLiteral("0")), false);
    EXPECT_EQ(BoolFromText(QStringLiteral("-000")), false);
    EXPECT_EQ(BoolFromText(QStringLiteral("-1")), true);
    EXPECT_EQ(BoolFromText(QStringLiteral("99999999999999999999999")), true);
    EXPECT_FALSE(BoolFromText(QStringLiteral("maybe")));
    EXPECT_FALSE(BoolFromText(QString()));
    EXPECT_FALSE(BoolFromText(QStringLiteral("1.5")));

    EXPECT_EQ(IntegerFromText(QStringLiteral("-32768"), -32768, 32767), -32768);
    EXPECT_FALSE(IntegerFromText(QStringLiteral("32768"), -32768, 32767));
    EXPECT_FALSE(IntegerFromText(QStringLiteral("0x10"), 0, 255));
    EXPECT_FALSE(IntegerFromText(QStringLiteral(""), 0, 255));
    EXPECT_FALSE(IntegerFromText(QStringLiteral("99999999999999999999"), 0, 255));

    const QStringList keys = ProfileKeyNames();
    ASSERT_EQ(keys.size(), 32);
    EXPECT_EQ(keys.first(), QStringLiteral("COMPort"));
    EXPECT_EQ(keys.last(), QStringLiteral("ProcessorCode"));
    EXPECT_EQ(keys.at(11), QStringLiteral("IndBusyActLev"));
    EXPECT_EQ(ProfileFieldText(UnusualRecord(), QStringLiteral("indbusyactlev")), QStringLiteral("255"));
}

TEST(ProfileNames, ReservedNamesInAnyCase)
{
    for (const char* name : {"Profiles", "PROFILES", "general", "General"})
        EXPECT_TRUE(IsReservedProfileName(QString::fromLatin1(name))) << name;
    for (const char* name : {"Default", "Profile", "Generals", ""})
        EXPECT_FALSE(IsReservedProfileName(QString::fromLatin1(name))) << name;
}

TEST_F(ProfileStoreTest, EnsureDefaultProfileOnAnEmptyStoreWritesEveryKey)
{
    store_.EnsureDefaultProfile();
    EXPECT_EQ(settings_.readKey(kProfilesSection, kDefaultProfileName, QString()),
              QStringLiteral("Default"));
    EXPECT_EQ(sectionMap(kDefaultProfileName), kDefaultTexts);
    EXPECT_EQ(sectionMap(kProfilesSection).size(), 1);

    ProfileData loaded;
    store_.LoadProfile(kDefaultProfileName, loaded);
    ProfileData expected = DefaultProfileData();
    expected.Name = kDefaultProfileName;
    EXPECT_EQ(loaded, expected);
    EXPECT_TRUE(warnings_.isEmpty());
}

TEST_F(ProfileStoreTest, EnsureDefaultProfileWritesNothingWhenRegistered)
{
    settings_.writeKey(kProfilesSection, QStringLiteral("default"), QStringLiteral("default"));
    settings_.writeKey(kDefaultProfileName, QStringLiteral("COMPort"), QStringLiteral("7"));
    store_.EnsureDefaultProfile();
    EXPECT_EQ(sectionMap(kDefaultProfileName),
              (QMap<QString, QString>{{"COMPort", "7"}}));

    // "NoDefault" in any letter case counts as not registered.
    settings_.writeKey(kProfilesSection, kDefaultProfileName, QStringLiteral("nodefault"));
    store_.EnsureDefaultProfile();
    EXPECT_EQ(sectionMap(kDefaultProfileName), kDefaultTexts);
}

TEST_F(ProfileStoreTest, SaveThenLoadGivesEveryFieldBack)
{
    settings_.writeKey(kProfilesSection, QStringLiteral("Bench"), QStringLiteral("Bench"));
    ProfileData saved = UnusualRecord();
    saved.Name = QStringLiteral("ignored");
    store_.SaveProfile(QStringLiteral("Bench"), saved);
    EXPECT_EQ(sectionMap(QStringLiteral("Bench")).size(), 32);
    EXPECT_EQ(sectionMap(kProfilesSection).size(), 1);

    QtSettingsStore fresh(dir_.filePath(QStringLiteral("Zandor/Zandor.ini")));
    ProfileStore again(fresh);
    ProfileData loaded;
    again.LoadProfile(QStringLiteral("BENCH"), loaded);
    saved.Name = QStringLiteral("BENCH");  // the name as passed, in its letter case
    EXPECT_EQ(loaded, saved);
    EXPECT_EQ(sectionMap(QStringLiteral("Bench")).value(QStringLiteral("COMDTREnable")),
              QStringLiteral("True"));
}

TEST_F(ProfileStoreTest, NewProfileCopiesDefaultAndKeepsOtherKeys)
{
    store_.EnsureDefaultProfile();
    settings_.writeKey(kDefaultProfileName, QStringLiteral("COMPort"), QStringLiteral("4"));
    settings_.writeKey(kDefaultProfileName, QStringLiteral("UserExtra"), QStringLiteral("e"));

    settings_.writeKey(QStringLiteral("Bench"), QStringLiteral("COMPort"), QStringLiteral("9"));
    settings_.writeKey(QStringLiteral("Bench"), QStringLiteral("OnlyHere"), QStringLiteral("o"));
    store_.NewProfile(QStringLiteral("Bench"));

    EXPECT_EQ(settings_.readKey(kProfilesSection, QStringLiteral("Bench"), QString()),
              QStringLiteral("Bench"));
    QMap<QString, QString> bench = sectionMap(QStringLiteral("Bench"));
    EXPECT_EQ(bench.take(QStringLiteral("OnlyHere")), QStringLiteral("o"));
    EXPECT_EQ(bench, sectionMap(kDefaultProfileName));

    // "Default" in another letter case copies "Default" onto itself.
    const QMap<QString, QString> before = sectionMap(kDefaultProfileName);
    store_.NewProfile(QStringLiteral("DEFAULT"));
    EXPECT_EQ(sectionMap(kDefaultProfileName), before);
    EXPECT_EQ(sectionMap(kProfilesSection).keys(), (QStringList{"Bench", "Default"}));
}

TEST_F(ProfileStoreTest, NewProfileWithoutADefaultSectionGetsTheBuiltInValues)
{
    settings_.writeKey(kProfilesSection, kDefaultProfileName, kDefaultProfileName);
    store_.NewProfile(QStringLiteral("Fresh"));
    EXPECT_EQ(sectionMap(QStringLiteral("Fresh")), kDefaultTexts);
}

TEST_F(ProfileStoreTest, HandBrokenValuesFallBackAndTextsStayAsRead)
{
    settings_.writeKey(kProfilesSection, QStringLiteral("Broken"), QStringLiteral("Broken"));
    const QString s = QStringLiteral("broken");  // the section in another letter case
    settings_.writeKey(s, QStringLiteral("COMPort"), QStringLiteral("abc"));
    settings_.writeKey(s, QStringLiteral("COMInBufferSize"), QStringLiteral("99999999999"));
    settings_.writeKey(s, QStringLiteral("COMOutBufferSize"), QStringLiteral("512"));
    settings_.writeKey(s, QStringLiteral("IndBusyActLev"), QStringLiteral("300"));
    settings_.writeKey(s, QStringLiteral("IndFailActLev"), QStringLiteral("-1"));
    settings_.writeKey(s, QStringLiteral("COMDTREnable"), QStringLiteral("maybe"));
    settings_.writeKey(s, QStringLiteral("COMHandshaking"), QStringLiteral("7"));
    settings_.writeKey(s, QStringLiteral("comnulldiscard"), QStringLiteral("tRuE"));
    settings_.writeKey(s, QStringLiteral("COMSettings"), QStringLiteral("garbage"));
    settings_.writeKey(s, QStringLiteral("C167ApplFileOffset"), QStringLiteral("zz"));

    ProfileData record = UnusualRecord();  // every field must be overwritten
    store_.LoadProfile(QStringLiteral("Broken"), record);

    EXPECT_TRUE(warnings_.isEmpty());
    EXPECT_EQ(record.Name, QStringLiteral("Broken"));
    const ProfileData defaults = DefaultProfileData();
    EXPECT_EQ(record.COMPort, defaults.COMPort);
    EXPECT_EQ(record.COMInBufferSize, defaults.COMInBufferSize);
    EXPECT_EQ(record.COMOutBufferSize, 512);
    EXPECT_EQ(record.IndBusy.ActLev, defaults.IndBusy.ActLev);
    EXPECT_EQ(record.IndFail.ActLev, defaults.IndFail.ActLev);
    EXPECT_EQ(record.COMDTREnable, defaults.COMDTREnable);
    EXPECT_TRUE(record.COMHandshaking);
    EXPECT_TRUE(record.COMNullDiscard);
    EXPECT_EQ(record.COMSettings, QStringLiteral("garbage"));
    EXPECT_EQ(record.C167ApplFileOffset, QStringLiteral("zz"));
    // Missing text keys read as empty text, not as the defaults.
    EXPECT_EQ(record.PreLoaderFile, QString());
    EXPECT_EQ(record.ProcessorCode, QString());
    EXPECT_EQ(record.IndBusy.Mask, QString());
}

TEST_F(ProfileStoreTest, UnregisteredNamesWarnAndStillLoad)
{
    store_.EnsureDefaultProfile();
    ProfileData record;
    store_.LoadProfile(QStringLiteral("Ghost"), record);
    EXPECT_EQ(warnings_, QStringList{QStringLiteral("The Profile 'Ghost' is not a valid Profile!")});
    EXPECT_EQ(record.Name, QStringLiteral("Ghost"));
    EXPECT_EQ(record.COMPort, 1);  // no section: numeric fields take the defaults
    EXPECT_EQ(record.COMSettings, QString());

    // Saved but never registered: still warned about.
    warnings_.clear();
    store_.SaveProfile(QStringLiteral("Unlisted"), UnusualRecord());
    store_.LoadProfile(QStringLiteral("Unlisted"), record);
    EXPECT_EQ(warnings_.size(), 1);
    EXPECT_EQ(record.COMSettings, QStringLiteral("115200,E,7,2"));

    // A profile really registered as "noprofile" reads back that value and warns.
    warnings_.clear();
    store_.NewProfile(QStringLiteral("NoProfile"));
    store_.LoadProfile(QStringLiteral("noprofile"), record);
    EXPECT_EQ(warnings_, QStringList{QStringLiteral("The Profile 'noprofile' is not a valid Profile!")});
    EXPECT_EQ(record.PreLoaderFile, QStringLiteral("PreLoad.bin"));

    // Without a sink nothing is shown and the load still completes.
    ProfileStore silent(settings_);
    silent.LoadProfile(QStringLiteral("Ghost2"), record);
    EXPECT_EQ(record.Name, QStringLiteral("Ghost2"));
}

TEST_F(ProfileStoreTest, ReservedNamesNeverWriteIntoTheStoresOwnSections)
{
    store_.EnsureDefaultProfile();
    settings_.writeKey(kGeneralSection, kProfileLastUsedKey, QStringLiteral("Default"));
    const auto generalBefore = settings_.readSection(kGeneralSection);
    const auto profilesBefore = settings_.readSection(kProfilesSection);

    store_.SaveProfile(QStringLiteral("general"), DefaultProfileData());
    store_.SaveProfile(QStringLiteral("Profiles"), DefaultProfileData());
    store_.NewProfile(QStringLiteral("PROFILES"));

    EXPECT_EQ(settings_.readSection(kGeneralSection), generalBefore);
    EXPECT_EQ(settings_.readSection(kProfilesSection), profilesBefore);
}
