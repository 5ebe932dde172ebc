#pragma once

// Shared pieces of the profile manager's widget tests: a settings store in a temporary
// folder, a stand-in for the main window, and a way to act on a modal dialog.

#include "app/MessageBoxes.h"
#include "manager/IProfileHost.h"
#include "platform/QtSettingsStore.h"
#include "profiles/ProfileStore.h"

#include <QDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QVector>
#include <functional>
#include <memory>

namespace zandor::testkit {

// What the main window does for the profile manager, counted.
class FakeProfileHost : public manager::IProfileHost {
public:
    profiles::ProfileData& currentProfile() override { return current; }
    void FormCaptionUpdate() override { ++captionUpdates; }
    void OpenCommPort() override { ++portOpenings; }

    profiles::ProfileData current;
    int captionUpdates = 0;
    int portOpenings = 0;
};

// A fresh store holding the profile "Default", and the message boxes shown meanwhile.
struct StoreFixture {
    StoreFixture()
        : settings(std::make_unique<platform::QtSettingsStore>(dir.path() + QStringLiteral("/Zandor.ini"))),
          profiles(*settings, [this](const QString& text) { warnings << text; })
    {
        profiles.EnsureDefaultProfile();
        app::SetMessageBoxHook([this](const app::MessageBoxRequest& box) { boxes << box; });
    }
    ~StoreFixture() { app::SetMessageBoxHook({}); }

    QString stored(const QString& section, const QString& key)
    {
        return settings->readKey(section, key, QStringLiteral("<missing>"));
    }

    QTemporaryDir dir;
    std::unique_ptr<platform::QtSettingsStore> settings;
    profiles::ProfileStore profiles;
    QStringList warnings;
    QVector<app::MessageBoxRequest> boxes;
};

// Runs `showModal` (which enters the dialog's modal loop) and, once the loop runs,
// `actions`. The dialog is hidden afterwards in any case, so a failed check never
// leaves the test waiting in the loop.
inline void RunModal(QDialog& dialog, const std::function<void()>& showModal,
                     const std::function<void()>& actions)
{
    QTimer::singleShot(0, &dialog, [&dialog, actions] {
        actions();
        if (dialog.isVisible())
            dialog.reject();
    });
    showModal();
}

}  // namespace zandor::testkit
