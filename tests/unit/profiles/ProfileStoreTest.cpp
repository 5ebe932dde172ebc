#include "platform/QtSettingsStore.h"
#include "profiles/ProfileKeys.h"
#include "profiles/ProfileStore.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <cstdint>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

using namespace zandor::profiles;
using zandor::platform::QtSettingsStore;
using TextMap = QMap<QString, QString>;

namespace {

class ProfileStoreTest : public ::testing::Test {
protected:
    TextMap sectionMap(const QString& section)
    {
        TextMap map;
        for (const auto& [key, value] : settings_.readSection(section))
            map.insert(key, value);
        return map;
    }
    QTemporaryDir dir_;
    QtSettingsStore settings_{dir_.filePath("Zandor.ini")};
    QStringList warnings_;
    ProfileStore store_{settings_, [this](const QString& text) { warnings_ << text; }};
};

// Counts how often a file is created or replaced, from the kernel's queue of events on its
// folder; the queue is read after the fact, so nothing is timed.
class FileReplacements {
public:
    explicit FileReplacements(const QString& path)
        : name_(QFile::encodeName(QFileInfo(path).fileName())),
          fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
        EXPECT_GE(inotify_add_watch(fd_, folder.constData(), IN_CREATE | IN_MOVED_TO), 0);
    }
    ~FileReplacements() { close(fd_); }
    int count() const
    {
        int replacements = 0;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; (got = read(fd_, buffer, sizeof buffer)) > 0;) {
            for (const char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                replacements += event->len > 0 && name_ == event->name;
                at += sizeof(inotify_event) + event->len;
            }
        }
        return replacements;
    }

private:
    QByteArray name_;
    int fd_;
};

ProfileData UnusualRecord()
{
    ProfileData r;
    r.COMPort = -32768;
    r.COMDTREnable = r.COMHandshaking = r.COMNullDiscard = true;
    r.COMInBufferSize = INT32_MAX;
    r.COMOutBufferSize = INT32_MIN;
    r.COMSettings = "115200,E,7,2";
    r.IndBusy = {"FFC2", "FFC6", "F1C6", "0010", 255};
    r.IndFail = {"a", "", "c d", "x,y", 1};
    r.PreLoaderFile = "/opt/boards/pre load.bin";
    r.C167ApplFile = "C:\\work\\Appl.sre";
    r.DS1994ApplFileOffset = "";
    r.ProcessorCode = "ST10F168";
    r.ResetSequence = "dtr=on rts=on wait=50 rts=off wait=100";
    r.RunSequence = "DTR=off  rts=on";  // kept as typed: only the runs parse it
    return r;
}

}  // namespace

TEST_F(ProfileStoreTest, EnsureDefaultProfileWritesEveryKeyOnlyWhenUnregistered)
{
    store_.EnsureDefaultProfile();
    EXPECT_EQ(sectionMap(kProfilesSection), (TextMap{{"Default", "Default"}}));
    const TextMap defaults = sectionMap(kDefaultProfileName);
    EXPECT_EQ(defaults.size(), 34);
    EXPECT_EQ(defaults.value("COMSettings"), "38400,N,8,1");

    settings_.deleteSection(kDefaultProfileName);
    settings_.writeKey(kDefaultProfileName, "COMPort", "7");
    settings_.writeKey(kProfilesSection, "DEFAULT", "default");  // registered in any letter case
    store_.EnsureDefaultProfile();
    EXPECT_EQ(sectionMap(kDefaultProfileName), (TextMap{{"COMPort", "7"}}));
    // "NoDefault" in any letter case counts as unregistered.
    settings_.writeKey(kProfilesSection, kDefaultProfileName, "nodefault");
    store_.EnsureDefaultProfile();
    EXPECT_EQ(sectionMap(kDefaultProfileName), defaults);
    EXPECT_TRUE(warnings_.isEmpty());
}

TEST_F(ProfileStoreTest, SaveWritesTheFileOnceThenLoadGivesEveryFieldBack)
{
    settings_.writeKey(kProfilesSection, "Bench", "Bench");
    ProfileData saved = UnusualRecord();
    saved.Name = "ignored";
    const FileReplacements replacements(settings_.location());
    store_.SaveProfile("Bench", saved);
    EXPECT_EQ(replacements.count(), 1);
    EXPECT_EQ(sectionMap("Bench").size(), 34);
    EXPECT_EQ(sectionMap("Bench").value("COMDTREnable"), "True");
    EXPECT_EQ(ProfileFieldText(saved, "indbusyactlev"), "255");
    EXPECT_EQ(sectionMap(kProfilesSection).size(), 1);
    ProfileData loaded;
    QtSettingsStore reread(settings_.location());
    ProfileStore(reread).LoadProfile("BENCH", loaded);
    saved.Name = "BENCH";  // the name as passed
    EXPECT_EQ(loaded, saved);
}

TEST_F(ProfileStoreTest, NewProfileCopiesDefault)
{
    settings_.writeKey(kProfilesSection, kDefaultProfileName, kDefaultProfileName);
    store_.NewProfile("Fresh");  // no Default section yet: the built-in values
    EXPECT_EQ(sectionMap("Fresh").size(), 34);
    EXPECT_EQ(sectionMap("Fresh").value("PreLoaderFile"), "PreLoad.bin");

    store_.EnsureDefaultProfile();
    settings_.writeKey(kDefaultProfileName, "COMPort", "4");
    settings_.writeKey(kDefaultProfileName, "UserExtra", "e");
    settings_.writeKey(kProfilesSection, "Bench", "Bench");
    settings_.writeKey("Bench", "COMPort", "9");
    settings_.writeKey("Bench", "OnlyHere", "o");
    store_.NewProfile("Bench");
    TextMap bench = sectionMap("Bench");
    EXPECT_EQ(bench.take("OnlyHere"), "o");
    EXPECT_EQ(bench, sectionMap(kDefaultProfileName));

    const TextMap before = sectionMap(kDefaultProfileName);
    store_.NewProfile("DEFAULT");  // copies Default onto itself
    EXPECT_EQ(sectionMap(kDefaultProfileName), before);
    EXPECT_EQ(sectionMap(kProfilesSection).keys(), QStringList({"Bench", "Default", "Fresh"}));
    EXPECT_EQ(sectionMap(kProfilesSection).value("Bench"), "Bench");
}

TEST_F(ProfileStoreTest, HandBrokenValuesFallBackAndTextsStayAsRead)
{
    store_.NewProfile("Broken");
    const TextMap broken = {{"COMPort", "abc"},         {"COMInBufferSize", "99999999999"},
                            {"COMOutBufferSize", "512"}, {"IndBusyActLev", "300"},
                            {"IndFailActLev", "-1"},     {"COMDTREnable", "1.5"},
                            {"COMHandshaking", "-1"},    {"comnulldiscard", "tRuE"},
                            {"COMSettings", "garbage"},  {"C167ApplFileOffset", "zz"}};
    for (const auto& [key, value] : broken.asKeyValueRange())
        settings_.writeKey("broken", key, value);
    settings_.deleteKey("Broken", "ProcessorCode");

    ProfileData record = UnusualRecord();  // every field must be overwritten
    store_.LoadProfile("Broken", record);
    ProfileData expected;
    expected.Name = "Broken";
    expected.COMOutBufferSize = 512;
    expected.COMHandshaking = expected.COMNullDiscard = true;
    expected.COMSettings = "garbage";
    expected.C167ApplFileOffset = "zz";
    expected.ProcessorCode = "";  // a missing text reads as empty, not as the default
    EXPECT_EQ(record, expected);
    EXPECT_TRUE(warnings_.isEmpty());
}

TEST_F(ProfileStoreTest, UnregisteredNamesWarnAndStillLoad)
{
    // An unknown name's warning is proven by the main window's start-up test.
    store_.EnsureDefaultProfile();
    ProfileData record;
    store_.NewProfile("NoProfile");  // registered under that very value: still warned about
    store_.LoadProfile("noprofile", record);
    EXPECT_EQ(warnings_, QStringList{"The Profile 'noprofile' is not a valid Profile!"});
    ProfileData expected;  // loaded from the copy of Default as usual
    expected.Name = "noprofile";
    EXPECT_EQ(record, expected);
    ProfileStore(settings_).LoadProfile("Ghost2", record);  // no sink: nothing shown
    EXPECT_EQ(record.Name, "Ghost2");
}

TEST_F(ProfileStoreTest, ReservedNamesNeverWriteIntoTheStoresOwnSections)
{
    store_.EnsureDefaultProfile();
    settings_.writeKey(kGeneralSection, kProfileLastUsedKey, "Default");
    const TextMap general = sectionMap(kGeneralSection), profiles = sectionMap(kProfilesSection);
    store_.SaveProfile("general", UnusualRecord());
    store_.SaveProfile("Profiles", UnusualRecord());
    store_.NewProfile("PROFILES");
    store_.NewProfile("General");
    EXPECT_EQ(sectionMap(kGeneralSection), general);
    EXPECT_EQ(sectionMap(kProfilesSection), profiles);
}
