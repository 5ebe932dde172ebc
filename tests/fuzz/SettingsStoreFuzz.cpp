// Arbitrary bytes as the settings file: the store opens it (converting a UTF-16 file or
// keeping a copy of one it cannot read faithfully) and the profile operations of a program
// start run on it. Nothing may crash, hang or leak, and a profile saved must load back as
// it was saved.

#include "FuzzCheck.h"
#include "platform/QtSettingsStore.h"
#include "profiles/ProfileData.h"
#include "profiles/ProfileStore.h"
#include "tests/support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

using zandor::fuzz::Require;
using namespace zandor::platform;
using namespace zandor::profiles;

namespace {

const QString kIniName = QStringLiteral("Zandor.ini");

// Every input gets a folder of its own in here: QSettings caches what it read per file name
// and trusts the cache while size and modification time look the same, which two inputs
// written in the same millisecond could fool. Made under $TMPDIR (scripts/fuzz.sh points it
// at a throw-away folder) and removed when the process ends.
QTemporaryDir& InputFolders()
{
    static QTemporaryDir folders;
    return folders;
}
int gInputNumber = 0;

// The first profile the file lists besides "Default", else "Default": one profile per input
// keeps an input fast, as every lookup in the store walks all keys of the file.
QString ProfileToSave(const KeyValueList& listed)
{
    for (const auto& [name, value] : listed) {
        if (name.compare(kDefaultProfileName, Qt::CaseInsensitive) != 0)
            return name;
    }
    return kDefaultProfileName;
}

// A profile's values changed, saved and loaded again come back as saved, even when the file
// could not be written (the store then keeps them in memory for the run).
void SaveAndLoadBack(ProfileStore& profiles, const QString& name)
{
    if (IsReservedProfileName(name))
        return;  // never saved
    ProfileData saved;
    profiles.LoadProfile(name, saved);
    // Values the file cannot hold yet, so a save that went astray shows.
    saved.COMSettings += QLatin1Char('~');
    saved.COMDTREnable = !saved.COMDTREnable;
    profiles.SaveProfile(name, saved);
    ProfileData loaded;
    profiles.LoadProfile(name, loaded);
    Require(loaded == saved, "a saved profile loads back as it was saved");
}

void RunProgramStart(const QString& iniPath)
{
    QtSettingsStore store(iniPath);
    ProfileStore profiles(store, [](const QString&) {});  // the window would show the warning
    profiles.EnsureDefaultProfile();

    SaveAndLoadBack(profiles, ProfileToSave(store.readSection(kProfilesSection)));
    store.readSection(kGeneralSection);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // QSettings expects an application object, as in the program; it lives as long as the
    // process.
    static int argc = 1;
    static char name[] = "fuzz_settings_store";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
    Require(InputFolders().isValid(), "a temporary folder can be made under $TMPDIR");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString folder = InputFolders().filePath(QString::number(++gInputNumber));
    Require(QDir().mkpath(folder), "the input's folder can be made");
    const QString iniPath = folder + QLatin1Char('/') + kIniName;
    Require(zandor::testing::WriteTestFile(iniPath, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))),
            "the input can be written as the settings file");
    RunProgramStart(iniPath);
    QDir(folder).removeRecursively();
    // QSettings keeps the last files it read in a cache and drops a file's entry when the
    // file is found empty: opening the removed file once more frees what this input left.
    QSettings(iniPath, QSettings::IniFormat);
    return 0;
}
