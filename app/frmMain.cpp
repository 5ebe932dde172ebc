#include "frmMain.h"

#include "MainFileDrop.h"
#include "MainStopKey.h"
#include "MainTabStrip.h"
#include "MainTiming.h"
#include "StartupCommands.h"

#include "manager/frmProfileProperties.h"
#include "platform/ProductInfo.h"
#include "profiles/MemoryFiles.h"
#include "protocol/FailureText.h"
#include "protocol/TargetOperations.h"
#include "protocol/Target.h"
#include "ui/FileDialogFilter.h"
#include "ui/MessageBoxes.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcutEvent>
#include <QTabBar>
#include <algorithm>

namespace zandor::app {

namespace {
constexpr int kFirstTab = 1;  // the "C167" tab, the only one
const QString kNotRespondingText = QStringLiteral(
    "The target device is not responding\nPlease Reset your target device\nand press the Reset button.");
const QString kFileOpenErrorText =
    QStringLiteral("Error loading file. Please check the Appl. File name");
}  // namespace

// Marks a command or modal dialog in progress. A close request that arrives meanwhile (the
// close box still works on a disabled window) waits for the outermost one to end.
class OperationScope {
public:
    explicit OperationScope(frmMain& window) : window_(window) { ++window_.operationDepth_; }
    ~OperationScope()
    {
        if (--window_.operationDepth_ == 0)
            window_.operationEnded();
    }
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;

private:
    frmMain& window_;
};

frmMain::frmMain(platform::ISettingsStore& store, platform::ISerialPort& comm,
                 platform::IEventPump& pump, QString commandLine, QWidget* parent)
    : QMainWindow(parent),
      store_(store),
      comm_(comm),
      pump_(pump),
      commandLine_(std::move(commandLine)),
      profiles_(store),
      openFileDialog_(SystemOpenFileDialog())
{
    setObjectName(QStringLiteral("frmMain"));
    profiles_.setWarningSink([this](const QString& text) { showProfileWarning(text); });
    buildControls();
    progressState_.attach(staPanel3Progress);
    connectCommands();
    // Application files dragged from a file manager: dropped on the window, or on the file
    // field, which would otherwise insert the file's URL as text (see eventFilter).
    setAcceptDrops(true);
    txtC167ApplFile->installEventFilter(this);
}

frmMain::~frmMain() = default;

void frmMain::connectCommands()
{
    const std::pair<QRadioButton*, profiles::MemoryKind> options[] = {
        {CpuFlash, profiles::CpuFlashMemory},
        {ExternalFlash, profiles::ExternalFlashMemory},
        {DataFlash, profiles::DataFlashMemory},
    };
    for (const auto& [option, kind] : options) {
        connect(option, &QRadioButton::toggled, this, [this, kind = kind](bool selected) {
            if (selected)
                onMemoryOptionSelected(kind);
        });
    }
    connect(txtC167ApplFile, &QLineEdit::textChanged, this, &frmMain::onApplFileChanged);
    connect(cmdC167ApplFileBrowse, &QPushButton::clicked, this, &frmMain::onBrowseClicked);
    connect(cmdC167EraseProgram, &QPushButton::clicked, this, &frmMain::onEraseProgramClicked);
    connect(cmdReset, &QPushButton::clicked, this, [this] { ResetTarget(); });
    connect(Tab1, &QTabWidget::tabBarClicked, this, [this](int) { onTabClicked(); });
    connect(mnuProperties, &QAction::triggered, this, &frmMain::onPropertiesClicked);
    connect(mnuExit, &QAction::triggered, this, &QWidget::close);
}

void frmMain::Load()
{
    OperationScope loading(*this);

    ParseCommandLine(commandLine_, CurrentProfile);
    placeControls();
    ShowSelectedTabFrame();
    show();

    profiles_.EnsureDefaultProfile();
    chooseAndLoadProfile();
    FormCaptionUpdate();
    staPanel2->setText(VersionText());
    OpenCommPort();
    ResetTarget();
    txtC167ApplFile->setText(CurrentProfile.C167ApplFile);
}

void frmMain::chooseAndLoadProfile()
{
    QString name = CurrentProfile.Name;
    if (name.isEmpty()) {
        CurrentProfile.Name = store_.readKey(profiles::kGeneralSection,
                                             profiles::kProfileLastUsedKey, QString());
        name = CurrentProfile.Name.isEmpty() ? profiles::kDefaultProfileName : CurrentProfile.Name;
    }
    profiles_.LoadProfile(name, CurrentProfile);
}

void frmMain::showProfileWarning(const QString& text)
{
    ui::ShowMessageBox(this, windowTitle(), text, QMessageBox::Warning);
}

void frmMain::FormCaptionUpdate()
{
    setWindowTitle(CaptionForProfile(CurrentProfile.Name));
}

void frmMain::NotRespondingBox()
{
    ui::ShowMessageBox(this, windowTitle(), kNotRespondingText, QMessageBox::Warning);
}

void frmMain::OpenCommPort()
{
    QString reason;
    if (app::OpenCommPort(comm_, CurrentProfile, &reason))
        return;
    ui::ShowMessageBox(this, platform::kApplicationTitle, kCommPortErrorText, QMessageBox::Warning);
    // The box keeps its words; the status bar says which device and why, with the fix.
    showPortReason(reason);
}

void frmMain::showPortReason(const QString& reason)
{
    // A by-id path leaves little room for the fix: the tooltip shows the whole reason.
    panel1Tip_.setFailure(reason);
    setStatusText(reason);
}

bool frmMain::ResetTarget()
{
    OperationScope operation(*this);
    beginCommand();
    EnableControls(kFirstTab, false);
    // A USB adapter that was pulled out (or busy at start-up) leaves the port closed: try it
    // again quietly, so that plugging it back in and pressing Reset is enough. When it
    // still cannot open, the not-responding box below says what the user must do.
    QString reason;
    if (!comm_.isOpen() && !app::OpenCommPort(comm_, CurrentProfile, &reason))
        showPortReason(reason);  // what stops it now, which may differ from the last time
    protocol::Target target(comm_, protocolView_, pump_, CurrentProfile);
    const protocol::Outcome outcome = protocol::IdentifyTarget(target, SelectedMemoryKind());
    const bool identified = outcome == protocol::Outcome::Done;
    // The chip that answered, as its byte says, stays in panel 1's tooltip until the next
    // Reset: the board may be another derivative than the profile's processor.
    const auto chip = protocolView_.answeredChip();
    panel1Tip_.setChip(identified && chip ? QStringLiteral("Chip: ") + protocol::AnsweredChipText(*chip) : QString());
    refreshPanel1Tip();
    // A loader file that can never be sent, or a reset sequence that cannot run, was
    // refused with its own box before anything went out; the board was not asked, so it
    // is not called unresponsive.
    if (!identified && outcome != protocol::Outcome::BadInput && !protocolView_.lastFault())
        NotRespondingBox();
    showCommandFailure();
    EnableControls(kFirstTab, true);
    return identified;
}

void frmMain::EnableControls(int intTab, bool state)
{
    if (!state && isEnabled())
        focusBeforeDisable_ = focusWidget();
    Tab1->setEnabled(state);
    cmdReset->setEnabled(state);
    mnuProfile->menuAction()->setEnabled(state);
    setEnabled(state);
    if (intTab == kFirstTab) {
        cmdC167EraseProgram->setEnabled(state);
        CpuFlash->setEnabled(state);
        ExternalFlash->setEnabled(state);
        DataFlash->setEnabled(state);
    }
    // A disabled window drops its focus; give it back where the user left it.
    if (state && focusBeforeDisable_ && focusBeforeDisable_->isEnabled() && !focusWidget())
        focusBeforeDisable_->setFocus();
}

void frmMain::ShowSelectedTabFrame()
{
    const int selected = Tab1->selectedTabNumber();
    if (selected == currentTabFrame_ || selected < 1 || selected > fraTab1.size())
        return;
    QFrame* shown = fraTab1.at(selected - 1);
    shown->show();
    if (currentTabFrame_ > 0)
        fraTab1.at(currentTabFrame_ - 1)->hide();
    shown->raise();
    currentTabFrame_ = selected;
    fraMonitor->raise();
}

profiles::MemoryKind frmMain::SelectedMemoryKind() const
{
    if (CpuFlash->isChecked())
        return profiles::CpuFlashMemory;
    if (ExternalFlash->isChecked())
        return profiles::ExternalFlashMemory;
    return profiles::DataFlashMemory;
}

QString& frmMain::selectedApplFile()
{
    return *profiles::FilesOfMemory(CurrentProfile, SelectedMemoryKind()).application;
}

void frmMain::ShowApplFileForMemory()
{
    txtC167ApplFile->setText(selectedApplFile());
    profiles_.SaveProfile(CurrentProfile.Name, CurrentProfile);
}

void frmMain::onMemoryOptionSelected(profiles::MemoryKind memoryKind)
{
    OperationScope operation(*this);
    ShowApplFileForMemory();
    beginCommand();
    EnableControls(kFirstTab, false);
    protocol::Target target(comm_, protocolView_, pump_, CurrentProfile);
    protocol::SendLoader(target, memoryKind, protocol::LoaderStart::Reload);
    showCommandFailure();
    EnableControls(kFirstTab, true);
}

void frmMain::onApplFileChanged(const QString& text)
{
    selectedApplFile() = text;
}

void frmMain::onBrowseClicked()
{
    OperationScope dialogOpen(*this);
    const QString directoryBefore = QDir::currentPath();
    BrowseForFile(kApplFileFilter, txtC167ApplFile);
    // Relative names in the profile (pre-loader, loaders) resolve against the directory
    // the program was started in, wherever the dialog went.
    QDir::setCurrent(directoryBefore);
}

void frmMain::BrowseForFile(const QString& filter, QLineEdit* field)
{
    const QString chosen = openFileDialog_
                               ? openFileDialog_(this, kBrowseTitle, ui::FileDialogFilter(filter))
                               : QString();
    if (!chosen.isEmpty())
        lastBrowsedFile_ = chosen;
    // The dialog keeps its last returned path, so a cancel puts that path in again.
    if (!lastBrowsedFile_.isEmpty())
        field->setText(lastBrowsedFile_);
}

void frmMain::onTabClicked()
{
    OperationScope operation(*this);
    ShowSelectedTabFrame();
    const int tab = Tab1->selectedTabNumber();
    beginCommand();
    EnableControls(tab, false);
    // The tab's number doubles as the memory kind: tab 1 brings up the CPU flash loader.
    protocol::Target target(comm_, protocolView_, pump_, CurrentProfile);
    protocol::SendLoader(target, static_cast<profiles::MemoryKind>(tab), protocol::LoaderStart::Reload);
    showCommandFailure();
    EnableControls(tab, true);
}

void frmMain::onEraseProgramClicked()
{
    OperationScope operation(*this);
    beginCommand();
    // The times are those of a run that programmed the whole file, of no other; the bar
    // shows this run's progress only.
    panel1Tip_.setTimes(QString());
    refreshPanel1Tip();
    progressState_.start();
    const profiles::MemoryKind kind = SelectedMemoryKind();
    // The file is read once, here: the download sends exactly the image checked now, so a
    // file changed or deleted while the board is erased cannot change what is programmed.
    const protocol::ApplicationLoad load = protocol::LoadApplicationImage(CurrentProfile, kind);
    if (load.fileError == protocol::InputFileError::Missing
        || load.fileError == protocol::InputFileError::Unreadable) {
        messageBox(kFileOpenErrorText, MessageIcon::Exclamation);
        // The box keeps its words; panel 1 says which file, where it was looked for and why.
        showFileFault(load.fault.text, selectedApplFile());
        return;
    }
    // The name is right: keep it, even when the file's contents are refused below.
    profiles_.SaveProfile(CurrentProfile.Name, CurrentProfile);
    if (!load.image) {
        messageBox(load.fault.text, MessageIcon::Exclamation);
        showFileFault(load.fault.text, selectedApplFile());
        return;
    }

    EnableControls(kFirstTab, false);
    protocol::Target target(comm_, protocolView_, pump_, CurrentProfile);
    // Esc stops the run after the current bank or record; the loader stays in charge on
    // the board, so the next Erase & Program starts at once.
    StopKey stopKey;
    target.stopRequested = [&stopKey] { return stopKey.pressed(); };
    QElapsedTimer clock;
    clock.start();
    protocol::Outcome outcome = protocol::EraseFlash(target, kind);
    if (outcome == protocol::Outcome::Done) {
        const qint64 eraseNanoseconds = clock.nsecsElapsed();
        clock.start();
        outcome = protocol::SendApplication(target, *load.image, kind);
        if (outcome == protocol::Outcome::Done)
            panel1Tip_.setTimes(EraseProgramTimingText(eraseNanoseconds, clock.nsecsElapsed(),
                                                       protocol::SummarizeImage(*load.image).dataBytes));
    }
    progressState_.finish(outcome);
    showCommandFailure();
    refreshPanel1Tip();
    EnableControls(kFirstTab, true);
}

void frmMain::onPropertiesClicked()
{
    OperationScope dialogOpen(*this);
    if (!profileManager_)
        profileManager_ = std::make_unique<manager::frmProfileProperties>(*this, profiles_, this, this);
    profileManager_->ShowModal();
    // An Apply may have loaded another profile: the field shows what would be programmed.
    QSignalBlocker quiet(txtC167ApplFile);
    txtC167ApplFile->setText(selectedApplFile());
}

void frmMain::setStatusText(const QString& text)
{
    staPanel1->setText(text);
    refreshPanel1Tip();
}

void frmMain::refreshPanel1Tip()
{
    staPanel1->setToolTip(panel1Tip_.text(staPanel1->text()));
}

void frmMain::beginCommand()
{
    protocolView_.beginCommand();
    panel1Tip_.setFailure(QString());
}

void frmMain::showCommandFailure()
{
    // A file that could not be sent: the box has named it, panel 1 keeps the reason.
    if (const auto& fault = protocolView_.lastFault()) {
        showFileFault(fault->text, fault->file);
        return;
    }
    // The port's reason, when there is one, says more than the silence that followed.
    if (panel1Tip_.failure().isEmpty() && protocolView_.lastFailure()) {
        panel1Tip_.setFailure(WindowFailureText(*protocolView_.lastFailure(), CurrentProfile));
        refreshPanel1Tip();
    }
}

void frmMain::showFileFault(const QString& faultText, const QString& file)
{
    // A relative name: the folder it was looked up in, which is not always the expected one.
    const QString folder = protocol::RelativeNameFolder(file);
    QString reason = faultText;
    if (!folder.isEmpty()) {
        if (reason.endsWith(QLatin1Char('.')))
            reason.chop(1);
        reason += QStringLiteral(" (") + folder + QStringLiteral(").");
    }
    panel1Tip_.setFailure(reason);
    setStatusText(reason);
}

QString frmMain::statusText() const
{
    return staPanel1->text();
}

void frmMain::setPercent(int percent, const QString& text)
{
    // The protocol's text is the bar's whole format, so the bar reads exactly "42%"; the
    // empty format it starts with shows nothing before the first download.
    staPanel3Progress->setFormat(text);
    staPanel3Progress->setValue(
        std::clamp(percent, staPanel3Progress->minimum(), staPanel3Progress->maximum()));
}

void frmMain::messageBox(const QString& text, MessageIcon icon)
{
    const QMessageBox::Icon shown = icon == MessageIcon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon;
    ui::ShowMessageBox(this, platform::kApplicationTitle, text, shown);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    // The tab's access key (Alt+C) selects it like a click and so reloads its loader; the
    // tab bar alone would only select it, which with one tab changes nothing.
    if (watched == Tab1->tabBar() && event->type() == QEvent::Shortcut) {
        const QKeySequence pressed = static_cast<QShortcutEvent*>(event)->key();
        for (int i = 0; i < Tab1->count(); ++i) {
            if (QKeySequence::mnemonic(Tab1->tabText(i)) != pressed)
                continue;
            Tab1->setCurrentIndex(i);
            if (Tab1->isEnabled() && isEnabled())
                onTabClicked();
            return true;
        }
    }
    // A file manager's drag over the file field follows the window's rule, not the field's.
    const bool dragOrDrop = event->type() == QEvent::DragEnter
                            || event->type() == QEvent::DragMove || event->type() == QEvent::Drop;
    if (watched == txtC167ApplFile && dragOrDrop
        && static_cast<QDropEvent*>(event)->mimeData()->hasUrls()) {
        auto* drag = static_cast<QDropEvent*>(event);
        if (event->type() == QEvent::Drop)
            dropEvent(drag);
        else
            takeFileDrag(drag);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

QString frmMain::takeFileDrag(QDropEvent* event)
{
    // No drag reaches the window while a command runs (it is disabled then) or a modal
    // dialog is up: the file a command works on cannot change under it.
    const QString file = ApplFileFromDrop(event->mimeData());
    if (file.isEmpty()) {
        event->ignore();
        return {};
    }
    // Only the name is used: a copy, so that the file manager never deletes the file as it
    // would after a move.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return file;
}

void frmMain::dragEnterEvent(QDragEnterEvent* event)
{
    takeFileDrag(event);
}

void frmMain::dropEvent(QDropEvent* event)
{
    // The field's change handler puts the file into the selected memory's profile field.
    const QString file = takeFileDrag(event);
    if (!file.isEmpty())
        txtC167ApplFile->setText(file);
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (operationDepth_ > 0) {
        // The window is disabled under a running command (or a modal dialog is up); the
        // port and the window must outlive it. Close as soon as it has ended.
        closePending_ = true;
        event->ignore();
        return;
    }
    shutDown();
    event->accept();
}

void frmMain::operationEnded()
{
    if (!closePending_)
        return;
    closePending_ = false;
    // Queued, so the command that ended unwinds first; before the event loop runs (a
    // request during start-up) it waits for the loop, which then ends with the window.
    QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
}

void frmMain::shutDown()
{
    if (shutDown_)
        return;
    shutDown_ = true;
    store_.writeKey(profiles::kGeneralSection, profiles::kProfileLastUsedKey, CurrentProfile.Name);
    CloseCommPort(comm_);
    profileManager_.reset();
}

}  // namespace zandor::app
