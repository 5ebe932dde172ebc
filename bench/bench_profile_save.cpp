// Times one profile save (and one load) in a settings file holding 1 and 200 profiles.
// The save runs on the user-interface thread when the main window stores a profile, so it
// must stay well below what a user notices. Run by hand:
//   <build>/bench/bench_profile_save

#include "platform/QtSettingsStore.h"
#include "profiles/ProfileKeyTable.h"
#include "profiles/ProfileStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace zandor;

namespace {

const int kProfileCounts[] = {1, 200};
constexpr int kRuns = 7;  // timings per figure; the median is printed
const QString kSavedProfile = QStringLiteral("Default");

// Writes `count` profiles ("Default" and "Bench002"...) with one QSettings sync, so that
// setting up the file does not depend on the store being measured.
void FillStore(const QString& iniPath, int count)
{
    QSettings raw(iniPath, QSettings::IniFormat);
    const profiles::ProfileData values = profiles::DefaultProfileData();
    for (int i = 1; i <= count; ++i) {
        const QString name =
            i == 1 ? kSavedProfile : QStringLiteral("Bench%1").arg(i, 3, 10, QLatin1Char('0'));
        raw.setValue(profiles::kProfilesSection + QLatin1Char('/') + name, name);
        for (const profiles::ProfileKey& key : profiles::ProfileKeyTable())
            raw.setValue(name + QLatin1Char('/') + QLatin1String(key.name),
                         profiles::FieldToText(key, values));
    }
    raw.sync();
}

template <typename Action>
double MedianMilliseconds(Action action)
{
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        action(run);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    for (const int count : kProfileCounts) {
        QTemporaryDir dir;
        const QString iniPath = dir.filePath(QStringLiteral("Zandor.ini"));
        FillStore(iniPath, count);

        platform::QtSettingsStore settings(iniPath);
        profiles::ProfileStore store(settings);
        profiles::ProfileData record = profiles::DefaultProfileData();
        const double saveMs = MedianMilliseconds([&](int run) {
            record.COMPort = std::int16_t(run + 2);  // every save changes the file
            store.SaveProfile(kSavedProfile, record);
        });
        const double loadMs =
            MedianMilliseconds([&](int) { store.LoadProfile(kSavedProfile, record); });
        std::printf("%4d profiles: SaveProfile %8.2f ms, LoadProfile %8.2f ms (median of %d)\n",
                    count, saveMs, loadMs, kRuns);
    }
    return 0;
}
