#pragma once

#include "profiles/ProfileStore.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zandor::profiles {

// The small modal dialog in which the user names a new profile. OK creates the profile
// itself, as a copy of "Default"; the caller re-reads the list of profiles afterwards.
// OK and Cancel only hide the dialog, so the typed name is still there next time; the
// close box discards it, and the next opening starts afresh.
class frmProfileNew : public QDialog {
    Q_OBJECT

public:
    frmProfileNew(ProfileStore& profiles, QWidget* iconSource, QWidget* parent = nullptr);

    // Shows the dialog modally and returns when it is hidden again.
    void ShowModal();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void Load();
    void cmdOK_Click();
    void cmdCancel_Click();

    ProfileStore& profiles_;
    QWidget* iconSource_;
    bool loaded_ = false;

    QLabel* lblName_ = nullptr;
    QLineEdit* txtName_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};

}  // namespace zandor::profiles
