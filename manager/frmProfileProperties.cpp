#include "frmProfileProperties.h"

#include "ProfileFieldPages.h"

#include "platform/ProductInfo.h"
#include "platform/SerialPortList.h"
#include "profiles/dialogs/frmProfileNew.h"
#include "ui/MessageBoxes.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

namespace zandor::manager {

namespace {

// The dialog's outer size in twips, and the part of it taken by a fixed dialog border
// (each side) and the caption bar, which leaves the client area.
constexpr int kOuterWidth = 4550;
constexpr int kOuterHeight = 4560;
constexpr int kBorderTwips = 45;
constexpr int kCaptionTwips = 285;
constexpr int kClientWidth = kOuterWidth - 2 * kBorderTwips;
constexpr int kClientHeight = kOuterHeight - 2 * kBorderTwips - kCaptionTwips;

// The tab strip's frame around its client area, in twips.
constexpr int kTabFrameTwips = 30;

// The column of OK, Cancel and Apply.
constexpr int kButtonLeft = 3300;
constexpr int kButtonWidth = 975;
constexpr int kButtonHeight = 375;

// The overview panel and its list of profiles, hidden.
constexpr int kOverviewButtonWidth = 1455;

const QString kDefaultProfileKey = QStringLiteral("default");

QString NotSavedText(const QString& activeName)
{
    return QStringLiteral("The profile '%1' is not in the list of profiles.\n"
                          "The settings have not been saved.")
        .arg(activeName);
}

QPushButton* NewButton(QWidget* parent, const QString& name, const QString& caption,
                       const QRect& where)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(where);
    return button;
}

}  // namespace

frmProfileProperties::frmProfileProperties(IProfileHost& host, profiles::ProfileStore& profiles,
                                           QWidget* iconSource, QWidget* parent)
    : QDialog(parent), host_(host), profiles_(profiles), iconSource_(iconSource),
      openFileDialog_(ShowOpenFileDialog)
{
    setObjectName(QStringLiteral("frmProfileProperties"));
    setWindowTitle(QStringLiteral("Profile Manager"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(ui::WindowFont());
    BuildControls();
}

frmProfileProperties::~frmProfileProperties() = default;

void frmProfileProperties::BuildControls()
{
    const ui::Twips twips(this);
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    client_->setGeometry(twips.rect(0, 0, kClientWidth, kClientHeight));

    Tab1_ = new QTabWidget(client_);
    Tab1_->setObjectName(QStringLiteral("Tab1"));
    Tab1_->addTab(new QWidget(Tab1_), QStringLiteral("&General"));
    twips.place(Tab1_, 120, 150, 3060, 3900);

    // Created after the tab strip, so they lie in front of it once moved onto it.
    pages_ = new ProfileFieldPages(client_);
    pages_->setOpenFileDialog(openFileDialog_);

    fraOverview_ = new QGroupBox(QStringLiteral("Overview"), client_);
    fraOverview_->setObjectName(QStringLiteral("fraOverview"));
    twips.place(fraOverview_, 150, 75, 1740, 3990);
    lstProfiles_ = new QListWidget(fraOverview_);
    lstProfiles_->setObjectName(QStringLiteral("lstProfiles"));
    lstProfiles_->setSelectionMode(QAbstractItemView::SingleSelection);
    twips.place(lstProfiles_, 150, 300, 1440, 2595);
    cmdNew_ = NewButton(fraOverview_, QStringLiteral("cmdNew"), QStringLiteral("&New..."),
                        twips.rect(150, 3000, kOverviewButtonWidth, kButtonHeight));
    cmdDelete_ = NewButton(fraOverview_, QStringLiteral("cmdDelete"), QStringLiteral("&Delete"),
                           twips.rect(150, 3450, kOverviewButtonWidth, kButtonHeight));
    fraOverview_->hide();  // nothing shows the overview panel

    cmdOK_ = NewButton(client_, QStringLiteral("cmdOK"), QStringLiteral("OK"),
                       twips.rect(kButtonLeft, 450, kButtonWidth, kButtonHeight));
    cmdOK_->setDefault(true);
    cmdCancel_ = NewButton(client_, QStringLiteral("cmdCancel"), QStringLiteral("Cancel"),
                           twips.rect(kButtonLeft, 900, kButtonWidth, kButtonHeight));
    cmdApply_ = NewButton(client_, QStringLiteral("cmdApply"), QStringLiteral("&Apply"),
                          twips.rect(kButtonLeft, 1350, kButtonWidth, kButtonHeight));
    cmdApply_->setEnabled(false);
    client_->show();

    connect(Tab1_, &QTabWidget::tabBarClicked, this, &frmProfileProperties::Tab1_Click);
    connect(lstProfiles_, &QListWidget::currentRowChanged, this,
            &frmProfileProperties::lstProfiles_Click);
    connect(pages_, &ProfileFieldPages::edited, cmdApply_, [this] { cmdApply_->setEnabled(true); });
    connect(cmdApply_, &QPushButton::clicked, this, &frmProfileProperties::cmdApply_Click);
    connect(cmdOK_, &QPushButton::clicked, this, &frmProfileProperties::cmdOK_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmProfileProperties::cmdCancel_Click);
    connect(cmdNew_, &QPushButton::clicked, this, &frmProfileProperties::cmdNew_Click);
    connect(cmdDelete_, &QPushButton::clicked, this, &frmProfileProperties::cmdDelete_Click);
}

void frmProfileProperties::setOpenFileDialog(OpenFileDialog dialog)
{
    openFileDialog_ = dialog ? std::move(dialog) : OpenFileDialog(ShowOpenFileDialog);
    pages_->setOpenFileDialog(openFileDialog_);
}

void frmProfileProperties::ShowModal()
{
    if (isVisible())
        return;
    if (loaded_) {
        ReadSerialPorts();
        RefreshUneditedFields();
    } else {
        Load();
    }
    exec();
}

void frmProfileProperties::Load()
{
    if (client_->property("used").toBool()) {
        // Loading afresh after the close box: new controls, nothing kept from before.
        delete client_;
        currentTabFrame_ = 0;
        BuildControls();
    }
    client_->setProperty("used", true);

    const ui::Twips twips(this);
    setFixedSize(twips.x(kClientWidth), twips.y(kClientHeight));
    if (iconSource_)
        setWindowIcon(iconSource_->windowIcon());
    MovePagesOntoTabStrip();
    ShowTabPage();
    ReadSerialPorts();
    FillProfileList();
    loaded_ = true;
}

void frmProfileProperties::ReadSerialPorts()
{
    // Once per showing: listing the ports looks at every serial device of the system.
    platform::ISettingsStore& store = profiles_.settings();
    pages_->SetSerialPorts(platform::ListSerialPorts(store), [&store](int portNumber) {
        return platform::DeviceNameForPort(store, portNumber);
    });
}

void frmProfileProperties::MovePagesOntoTabStrip()
{
    const ui::Twips twips(this);
    const int frame = twips.x(kTabFrameTwips);
    const int tabsHeight = Tab1_->tabBar()->sizeHint().height();
    const QRect strip = Tab1_->geometry();
    const QRect clientArea(strip.left() + frame, strip.top() + tabsHeight + frame,
                           strip.width() - 2 * frame, strip.height() - tabsHeight - 2 * frame);
    for (int index = 1; index <= ProfileFieldPages::kPageCount; ++index)
        pages_->page(index)->setGeometry(clientArea);
}

void frmProfileProperties::ShowTabPage()
{
    const auto selected = static_cast<qint16>(Tab1_->currentIndex() + 1);
    if (selected == currentTabFrame_ || selected < 1 || selected > ProfileFieldPages::kPageCount)
        return;
    pages_->page(selected)->setVisible(true);
    if (currentTabFrame_ > 0)
        pages_->page(currentTabFrame_)->hide();
    pages_->page(selected)->raise();
    currentTabFrame_ = selected;
}

void frmProfileProperties::Tab1_Click()
{
    ShowTabPage();
}

void frmProfileProperties::FillProfileList()
{
    lstProfiles_->clear();
    for (const auto& pair : profiles_.settings().readSection(profiles::kProfilesSection))
        lstProfiles_->addItem(pair.first);

    const QString active = host_.currentProfile().Name.toUpper();
    for (int row = 0; row < lstProfiles_->count(); ++row) {
        if (lstProfiles_->item(row)->text().toUpper() == active) {
            lstProfiles_->setCurrentRow(row);  // runs the list-selection handler
            return;
        }
    }
    // The active profile is not registered (deleted, or never created): nothing is
    // selected, and nothing can be deleted or saved until a profile is selected.
    cmdDelete_->setEnabled(false);
}

QString frmProfileProperties::SelectedProfileName() const
{
    const QListWidgetItem* item = lstProfiles_->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void frmProfileProperties::lstProfiles_Click()
{
    const QString name = SelectedProfileName();
    if (name.isEmpty())
        return;
    cmdDelete_->setEnabled(name.toLower() != kDefaultProfileKey);
    profiles::ProfileData scratch;
    ShowProfile(name, scratch);
    if (name.toLower() != host_.currentProfile().Name.toLower())
        cmdApply_->setEnabled(true);
}

void frmProfileProperties::ShowProfile(const QString& name, profiles::ProfileData& record)
{
    profiles_.LoadProfile(name, record);
    pages_->WriteFields(record, ProfileFieldPages::WriteMode::ReplaceAll);
    cmdApply_->setEnabled(false);
}

void frmProfileProperties::RefreshUneditedFields()
{
    const QString name = SelectedProfileName();
    if (name.isEmpty())
        return;
    profiles::ProfileData stored;
    profiles_.LoadProfile(name, stored);
    const bool unsavedEdits = cmdApply_->isEnabled();
    pages_->WriteFields(stored, ProfileFieldPages::WriteMode::KeepEdits);
    cmdApply_->setEnabled(unsavedEdits);
}

frmProfileProperties::ApplyResult frmProfileProperties::ApplySelectedProfile()
{
    const QString name = SelectedProfileName();
    if (name.isEmpty() || profiles::IsReservedProfileName(name)) {
        // Saving without a registered profile would write a nameless or stray section.
        ui::ShowMessageBox(this, platform::kApplicationTitle,
                            NotSavedText(host_.currentProfile().Name), QMessageBox::Warning);
        return ApplyResult::NotSaved;
    }
    // Fields that do not convert keep the values the profile holds.
    profiles::ProfileData record = pages_->loadedRecord();
    pages_->CollectFields(record, host_.currentProfile());
    // A sequence that could never run is refused before anything is written, so the user
    // can correct it in the dialog.
    const QString sequenceFault = ProfileFieldPages::SequenceFault(record);
    if (!sequenceFault.isEmpty()) {
        ui::ShowMessageBox(this, platform::kApplicationTitle, sequenceFault, QMessageBox::Warning);
        return ApplyResult::FieldsRefused;
    }
    // The device first: the port reopened below must open the one just chosen. It is
    // not written when the profile is refused above, since nothing was saved then.
    if (const auto choice = pages_->ChosenDevice())
        platform::SetDeviceForPort(profiles_.settings(), choice->portNumber, choice->device);

    profiles_.SaveProfile(name, record);
    profiles_.LoadProfile(name, host_.currentProfile());

    // The fields now show what was saved; Apply keeps its state.
    const bool applyEnabled = cmdApply_->isEnabled();
    pages_->WriteFields(host_.currentProfile(), ProfileFieldPages::WriteMode::ReplaceAll);
    cmdApply_->setEnabled(applyEnabled);

    host_.FormCaptionUpdate();
    host_.OpenCommPort();
    return ApplyResult::Applied;
}

void frmProfileProperties::cmdApply_Click()
{
    ApplySelectedProfile();
}

void frmProfileProperties::cmdOK_Click()
{
    if (ApplySelectedProfile() != ApplyResult::FieldsRefused)
        accept();
}

void frmProfileProperties::cmdCancel_Click()
{
    reject();
}

void frmProfileProperties::cmdNew_Click()
{
    if (!newProfileDialog_)
        newProfileDialog_ = new profiles::frmProfileNew(profiles_, iconSource_, this);
    newProfileDialog_->ShowModal();
    FillProfileList();
}

void frmProfileProperties::cmdDelete_Click()
{
    const QString name = SelectedProfileName();
    if (name.isEmpty() || name.toLower() == kDefaultProfileKey)
        return;
    profiles_.settings().deleteKey(profiles::kProfilesSection, name);
    // A stray entry named like one of the store's own sections loses only its entry.
    if (!profiles::IsReservedProfileName(name))
        profiles_.settings().deleteSection(name);
    FillProfileList();
}

void frmProfileProperties::closeEvent(QCloseEvent* event)
{
    // The close box discards everything unapplied: the next showing loads afresh.
    loaded_ = false;
    QDialog::closeEvent(event);
}

}  // namespace zandor::manager
