#pragma once

#include "FileBrowsing.h"
#include "IProfileHost.h"
#include "profiles/ProfileStore.h"

#include <QDialog>
#include <QPointer>

class QGroupBox;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace zandor::profiles {
class frmProfileNew;
}

namespace zandor::manager {

class ProfileFieldPages;

// The profile manager: shows the fields of the profile selected in its list on six
// pages under a tab strip; Apply (and OK) saves them, makes that profile the active one,
// refreshes the main window's caption and reopens the serial port.
//
// OK and Cancel only hide the dialog, which keeps its fields, list and Apply state for
// the next showing; unedited fields are then brought up to date from the store, so that
// values saved elsewhere in the meantime (the main window saves the application file
// names) are never written back stale. The close box discards the dialog's contents:
// the next showing loads afresh. Parent it to the main window so that it goes with it.
class frmProfileProperties : public QDialog {
    Q_OBJECT

public:
    frmProfileProperties(IProfileHost& host, profiles::ProfileStore& profiles,
                         QWidget* iconSource, QWidget* parent = nullptr);
    ~frmProfileProperties() override;

    // Shows the dialog modally; the first showing (and the first after the close box)
    // runs the load steps. Returns when the dialog is hidden.
    void ShowModal();

    // Replaces the platform's file-open dialog used by the browse buttons.
    void setOpenFileDialog(OpenFileDialog dialog);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void Load();
    void MovePagesOntoTabStrip();
    void ReadSerialPorts();
    void ShowTabPage();
    void FillProfileList();
    void ShowProfile(const QString& name, profiles::ProfileData& record);
    void RefreshUneditedFields();
    QString SelectedProfileName() const;
    enum class ApplyResult {
        Applied,
        NotSaved,        // no registered profile is selected: told, and OK still closes
        FieldsRefused,   // a field holds what cannot be saved: told, and the dialog stays open
    };
    ApplyResult ApplySelectedProfile();

    void Tab1_Click();
    void lstProfiles_Click();
    void cmdApply_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdNew_Click();
    void cmdDelete_Click();

    IProfileHost& host_;
    profiles::ProfileStore& profiles_;
    QWidget* iconSource_;
    OpenFileDialog openFileDialog_;
    bool loaded_ = false;
    qint16 currentTabFrame_ = 0;  // the page last shown, 0 before the first

    QWidget* client_ = nullptr;  // holds every control; rebuilt when the dialog loads afresh
    QTabWidget* Tab1_ = nullptr;
    ProfileFieldPages* pages_ = nullptr;
    QGroupBox* fraOverview_ = nullptr;
    QListWidget* lstProfiles_ = nullptr;
    QPushButton* cmdNew_ = nullptr;
    QPushButton* cmdDelete_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QPushButton* cmdApply_ = nullptr;
    QPointer<profiles::frmProfileNew> newProfileDialog_;
};

}  // namespace zandor::manager
