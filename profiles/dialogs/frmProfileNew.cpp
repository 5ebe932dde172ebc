#include "frmProfileNew.h"

#include "platform/ProductInfo.h"
#include "ui/EntryFields.h"
#include "ui/MessageBoxes.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace zandor::profiles {

namespace {

// Client area and control positions, in twips.
constexpr int kClientWidth = 3240;
constexpr int kClientHeight = 1500;
constexpr int kButtonWidth = 1455;
constexpr int kButtonHeight = 375;
constexpr int kButtonTop = 975;

QString ReservedNameText(const QString& name)
{
    return QStringLiteral("The name '%1' is reserved for the program's own settings.\n"
                          "Please choose another name for the profile.")
        .arg(name);
}

}  // namespace

frmProfileNew::frmProfileNew(ProfileStore& profiles, QWidget* iconSource, QWidget* parent)
    : QDialog(parent), profiles_(profiles), iconSource_(iconSource)
{
    setObjectName(QStringLiteral("frmProfileNew"));
    setWindowTitle(QStringLiteral("New Profile"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(ui::WindowFont());
    BuildControls();
}

void frmProfileNew::BuildControls()
{
    const ui::Twips twips(this);
    setFixedSize(twips.x(kClientWidth), twips.y(kClientHeight));

    // Created in focus order: name, OK, Cancel.
    lblName_ = new QLabel(QStringLiteral("Name for the New Profile:"), this);
    lblName_->setObjectName(QStringLiteral("lblName"));
    twips.place(lblName_, 120, 120, 2415, 255);

    txtName_ = new QLineEdit(this);
    txtName_->setObjectName(QStringLiteral("txtName"));
    twips.place(txtName_, 300, 450, 2835, 330);
    ui::MakeEntryField(txtName_, ui::KeyFilter::None);
    lblName_->setBuddy(txtName_);

    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    twips.place(cmdOK_, 120, kButtonTop, kButtonWidth, kButtonHeight);
    cmdOK_->setDefault(true);

    cmdCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    twips.place(cmdCancel_, 1650, kButtonTop, kButtonWidth, kButtonHeight);

    connect(cmdOK_, &QPushButton::clicked, this, &frmProfileNew::cmdOK_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmProfileNew::cmdCancel_Click);
}

void frmProfileNew::Load()
{
    txtName_->clear();
    if (iconSource_)
        setWindowIcon(iconSource_->windowIcon());
    txtName_->setFocus();
    loaded_ = true;
}

void frmProfileNew::ShowModal()
{
    if (!loaded_)
        Load();
    exec();
}

void frmProfileNew::cmdOK_Click()
{
    // The name is taken exactly as typed: a blank is a name too.
    const QString name = txtName_->text();
    if (!name.isEmpty()) {
        // A profile called like one of the store's own sections would overwrite them.
        if (IsReservedProfileName(name)) {
            ui::ShowMessageBox(this, platform::kApplicationTitle, ReservedNameText(name),
                                QMessageBox::Warning);
            txtName_->setFocus();
            ui::SelectAllText(txtName_);
            return;
        }
        profiles_.NewProfile(name);
    }
    accept();
}

void frmProfileNew::cmdCancel_Click()
{
    reject();
}

void frmProfileNew::closeEvent(QCloseEvent* event)
{
    // The close box discards the dialog's contents: the next opening loads afresh.
    loaded_ = false;
    QDialog::closeEvent(event);
}

}  // namespace zandor::profiles
