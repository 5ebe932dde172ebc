#pragma once

// Shared pieces of the profile manager's widget tests: a settings store in a temporary
// folder, a stand-in for the main window, and a way to act on a modal dialog.

#include "ui/MessageBoxes.h"
#include "manager/IProfileHost.h"
#include "platform/QtSettingsStore.h"
#include "profiles/ProfileStore.h"

#include <QDialog>
#include <QList>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

namespace zandor::testkit {

// What the main window does for the profile manager, counted; a port that cannot open
// shows its error box, as the main window does.
struct FakeProfileHost : manager::IProfileHost {
    profiles::ProfileData& currentProfile() override { return current; }
    void FormCaptionUpdate() override { ++captionUpdates; }
    void OpenCommPort() override
    {
        ++portOpenings;
        if (whenOpening)
            whenOpening();
        if (portFails)
            ui::ShowMessageBox(nullptr, {}, QStringLiteral("Comm port error."), QMessageBox::Critical);
    }
    profiles::ProfileData current;
    int captionUpdates = 0, portOpenings = 0;
    bool portFails = false;
    std::function<void()> whenOpening;  // sees the store as the port is reopened
};

// A fresh store holding the profile "Default", and the message boxes shown meanwhile.
struct StoreFixture {
    StoreFixture() { profiles.EnsureDefaultProfile(); ui::SetMessageBoxHook([this](const auto& box) { boxes << box; }); }
    ~StoreFixture() { ui::SetMessageBoxHook({}); }
    QString stored(const QString& section, const QString& key) { return settings.readKey(section, key, QStringLiteral("<missing>")); }
    auto section(const QString& name) { return settings.readSection(name); }

    QTemporaryDir dir;
    platform::QtSettingsStore settings{dir.path() + QStringLiteral("/Zandor.ini")};
    profiles::ProfileStore profiles{settings, [](const QString&) {}};
    QList<ui::MessageBoxRequest> boxes;
};

// Runs `showModal` and, once its modal loop runs, `actions`; the dialog is hidden
// afterwards in any case, so a failed check never leaves the test waiting.
inline void RunModal(QDialog& dialog, const std::function<void()>& showModal, const std::function<void()>& actions)
{
    QTimer::singleShot(0, &dialog, [&dialog, actions] {
        actions();
        if (dialog.isVisible())
            dialog.reject();
    });
    showModal();
}

}  // namespace zandor::testkit
