#pragma once

#include "IStatusSurface.h"
#include "MainBrowse.h"
#include "MainPanelTip.h"
#include "MainProgressState.h"
#include "WindowProtocolView.h"
#include "manager/IProfileHost.h"
#include "platform/IEventPump.h"
#include "platform/ISerialPort.h"
#include "platform/ISettingsStore.h"
#include "profiles/ProfileData.h"
#include "profiles/ProfileStore.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QVector>
#include <memory>

class QAction;
class QDragEnterEvent;
class QDropEvent;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace zandor::manager {
class frmProfileProperties;
}

namespace zandor::app {

class TabStrip;

// The program's main window: start-up and shutdown, the memory choice, the application
// file, Erase & Program, Reset, and the status bar on which the protocol reports.
class frmMain : public QMainWindow, public IStatusSurface, public manager::IProfileHost {
    Q_OBJECT

public:
    frmMain(platform::ISettingsStore& store, platform::ISerialPort& comm,
            platform::IEventPump& pump, QString commandLine, QWidget* parent = nullptr);
    ~frmMain() override;

    // The start-up sequence: command line, layout, show, profile, caption, version, port,
    // the first contact attempt, the application file field.
    void Load();
    // True once the shutdown has run (the window is closed for good).
    bool hasShutDown() const { return shutDown_; }

    // Window operations.
    void FormCaptionUpdate() override;
    void NotRespondingBox();
    // Identifies the target and brings up the selected memory's loader; true when the
    // target identified itself.
    bool ResetTarget();
    void EnableControls(int intTab, bool state);
    void ShowSelectedTabFrame();
    void ShowApplFileForMemory();
    void BrowseForFile(const QString& filter, QLineEdit* field);
    // CPU flash, external flash or data flash, from the option buttons.
    profiles::MemoryKind SelectedMemoryKind() const;

    // What the profile manager needs.
    profiles::ProfileData& currentProfile() override { return CurrentProfile; }
    void OpenCommPort() override;

    // Where the protocol's progress and failures are shown.
    void setStatusText(const QString& text) override;
    void showPortReason(const QString& reason);
    QString statusText() const override;
    void setPercent(int percent, const QString& text) override;
    void notRespondingBox() override { NotRespondingBox(); }
    void messageBox(const QString& text, MessageIcon icon) override;

    profiles::ProfileStore& profileStore() { return profiles_; }
    // Tests answer the file dialog in place of the user.
    void setOpenFileDialog(OpenFileDialog dialog) { openFileDialog_ = std::move(dialog); }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // An application file dragged from a file manager and dropped anywhere on the window
    // goes into the file field, as if chosen with the browse button.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    friend class OperationScope;

    // Construction and placement of the controls (frmMainLayout.cpp).
    void buildControls();
    void buildProgrammingFrame(QWidget* tabFrame);
    void buildMonitorFrame(QWidget* central);
    void buildMenu();
    void buildStatusBar();
    void placeControls();
    void placeMonitorFrame();

    void connectCommands();
    void onMemoryOptionSelected(profiles::MemoryKind memoryKind);
    void onApplFileChanged(const QString& text);
    void onBrowseClicked();
    void onTabClicked();
    void onEraseProgramClicked();
    void onPropertiesClicked();
    // The application file a drag carries, or empty; accepts or refuses the drag accordingly.
    QString takeFileDrag(QDropEvent* event);
    void showProfileWarning(const QString& text);
    void chooseAndLoadProfile();
    // The profile field that holds the selected memory's application file.
    QString& selectedApplFile();
    void operationEnded();
    void shutDown();
    // Panel 1's tooltip after its text or what is known changed.
    void refreshPanel1Tip();
    // A command starts: the last one's failure no longer holds.
    void beginCommand();
    // A command ended: the reason of a file fault in panel 1, of another failure in the tooltip.
    void showCommandFailure();
    void showFileFault(const QString& faultText, const QString& file);

    platform::ISettingsStore& store_;
    platform::ISerialPort& comm_;
    platform::IEventPump& pump_;
    const QString commandLine_;
    profiles::ProfileStore profiles_;
    OpenFileDialog openFileDialog_;
    WindowProtocolView protocolView_{*this};
    PanelTip panel1Tip_;
    ProgressRunState progressState_;

    profiles::ProfileData CurrentProfile;
    int currentTabFrame_ = 0;    // index of the tab frame shown last; 0 before the first
    QString lastBrowsedFile_;    // the file dialog's last returned path, kept after a cancel
    int operationDepth_ = 0;     // > 0 while a command or modal dialog runs
    bool closePending_ = false;  // a close request arrived during an operation
    bool shutDown_ = false;
    QPointer<QWidget> focusBeforeDisable_;

    // Controls, named as the window's objects.
    TabStrip* Tab1 = nullptr;
    QVector<QFrame*> fraTab1;  // member n of the frame array at index n - 1
    QGroupBox* fraC167Program = nullptr;
    QRadioButton* CpuFlash = nullptr;
    QRadioButton* ExternalFlash = nullptr;
    QRadioButton* DataFlash = nullptr;
    QLabel* lblC167ApplFile = nullptr;
    QLineEdit* txtC167ApplFile = nullptr;
    QPushButton* cmdC167ApplFileBrowse = nullptr;
    QPushButton* cmdC167EraseProgram = nullptr;
    QPushButton* cmdReset = nullptr;
    QLabel* staPanel1 = nullptr;
    QLabel* staPanel2 = nullptr;
    QProgressBar* staPanel3Progress = nullptr;  // panel 3: the download's percentage
    QGroupBox* fraMonitor = nullptr;
    QLineEdit* txtMonitorAddressFrom = nullptr;
    QLineEdit* txtMonitorAddressTo = nullptr;
    QPushButton* cmdMonitorRead = nullptr;
    QPushButton* cmdMonitorWrite = nullptr;
    QPlainTextEdit* txtMonitorData = nullptr;
    QMenu* mnuProfile = nullptr;
    QAction* mnuProperties = nullptr;
    QAction* mnuSeparator = nullptr;
    QAction* mnuExit = nullptr;

    std::unique_ptr<manager::frmProfileProperties> profileManager_;
};

}  // namespace zandor::app
