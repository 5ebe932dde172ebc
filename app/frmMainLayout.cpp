// The main window's controls: creation with their designer positions, and the placement
// that the start-up sequence does before the window is shown.

#include "MainTabStrip.h"
#include "frmMain.h"

#include "platform/ProductInfo.h"
#include "ui/AppIcon.h"
#include "ui/EntryFields.h"
#include "ui/Twips.h"

#include <QAction>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>

namespace zandor::app {

namespace {

// Positions and sizes in twips (1/1440 inch).
constexpr int kWindowWidth = 8000;   // outer size of the window, frame included
constexpr int kWindowHeight = 4700;
// The frame the window was designed with: two 60-twip borders, a 285-twip caption bar and
// a 285-twip menu bar. The client area below the menu keeps the designed size; the real
// menu bar's height is added on top of it.
constexpr int kDesignedBorders = 2 * 60;
constexpr int kDesignedCaptionAndMenu = 285 + 285;
constexpr int kClientWidth = kWindowWidth - kDesignedBorders;
constexpr int kClientHeightBelowMenu = kWindowHeight - kDesignedBorders - kDesignedCaptionAndMenu;

constexpr int kTabLeft = 150;
constexpr int kTabTop = 0;
constexpr int kTabWidthMargin = 325;     // tab strip width = window width - this
constexpr int kTabHeightMargin = 1550;   // tab strip height = window height - this
constexpr int kResetTopFromBottom = 1450;  // Reset's top = window height - this
constexpr int kResetWidth = 855;
constexpr int kResetHeight = 375;
constexpr int kStatusBarHeight = 315;
constexpr int kStatusVersionWidth = 1500;
constexpr int kStatusPercentWidth = 900;
constexpr int kPercentFull = 100;  // the progress bar's range: 0 to 100 percent

constexpr int kMonitorLeft = 4500;
// The frame's own width: wide enough for the data field, and the one at which the
// right-aligned buttons keep their designed left edge of 3525.
constexpr int kMonitorWidth = 4530;
constexpr int kMonitorButtonRightMargin = 150;
constexpr int kMonitorAddressMaxLength = 6;  // six hexadecimal digits, a 24-bit address

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& where)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(where);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& where)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(where);
    button->setAutoDefault(false);
    return button;
}

QRadioButton* MakeOption(QWidget* parent, const char* name, const QString& text, const QRect& where)
{
    auto* option = new QRadioButton(text, parent);
    option->setObjectName(QLatin1String(name));
    option->setGeometry(where);
    // Where the window's font is missing, the fallback may be wider: never clip the caption.
    if (option->sizeHint().width() > where.width())
        option->resize(option->sizeHint().width(), where.height());
    return option;
}

QLineEdit* MakeField(QWidget* parent, const char* name, const QRect& where)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setGeometry(where);
    return field;
}

}  // namespace

void frmMain::buildControls()
{
    const ui::Twips t(this);
    setFont(ui::WindowFont());
    setWindowIcon(ui::ApplicationIcon());
    setWindowTitle(platform::kApplicationTitle);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("frmMainClient"));
    setCentralWidget(central);

    Tab1 = new TabStrip(central);
    Tab1->setObjectName(QStringLiteral("Tab1"));
    Tab1->addTab(new QWidget, QStringLiteral("&C167"));
    Tab1->setGeometry(t.rect(kTabLeft, kTabTop, 2000, 1000));  // resized at load
    Tab1->tabBar()->installEventFilter(this);

    // The frame array of the tab strip has one member, the frame of tab 1 ("C167"). It has
    // no border of its own: the programming frame inside it is what the user sees.
    auto* tabFrame = new QFrame(central);
    tabFrame->setObjectName(QStringLiteral("fraTab1_1"));
    tabFrame->setAccessibleName(QStringLiteral("C167"));
    tabFrame->setFrameShape(QFrame::NoFrame);
    tabFrame->hide();
    fraTab1.append(tabFrame);
    buildProgrammingFrame(tabFrame);

    cmdReset = MakeButton(central, "cmdReset", QStringLiteral("&Reset"),
                          t.rect(0, 0, kResetWidth, kResetHeight));  // placed at load

    buildMonitorFrame(central);
    buildMenu();
    buildStatusBar();
}

void frmMain::buildProgrammingFrame(QWidget* tabFrame)
{
    const ui::Twips t(this);
    fraC167Program = new QGroupBox(QStringLiteral("Programming"), tabFrame);
    fraC167Program->setObjectName(QStringLiteral("fraC167Program"));
    fraC167Program->setGeometry(t.rect(120, 0, 7095, 2655));

    CpuFlash = MakeOption(fraC167Program, "CpuFlash", QStringLiteral("CPU Flash"),
                          t.rect(360, 480, 1095, 495));
    ExternalFlash = MakeOption(fraC167Program, "ExternalFlash", QStringLiteral("External Flash"),
                               t.rect(2880, 540, 1455, 375));
    DataFlash = MakeOption(fraC167Program, "DataFlash", QStringLiteral("Data Flash"),
                           t.rect(5160, 480, 1695, 495));
    CpuFlash->setChecked(true);

    // The caption "&Application File:" shows its access letter underlined, but registers no
    // shortcut: Alt+A belongs to Erase & Program, which would otherwise share it and then
    // only move the focus.
    lblC167ApplFile = MakeLabel(fraC167Program, "lblC167ApplFile",
                                QStringLiteral("<u>A</u>pplication File:"),
                                t.rect(360, 1080, 1740, 240));
    lblC167ApplFile->setTextFormat(Qt::RichText);
    txtC167ApplFile = MakeField(fraC167Program, "txtC167ApplFile", t.rect(360, 1320, 6075, 285));
    cmdC167ApplFileBrowse = MakeButton(fraC167Program, "cmdC167ApplFileBrowse",
                                       QStringLiteral("..."), t.rect(6600, 1320, 360, 285));
    cmdC167EraseProgram = MakeButton(fraC167Program, "cmdC167EraseProgram",
                                     QStringLiteral("Er&ase && Program"),
                                     t.rect(2520, 1800, 1515, 375));
    cmdC167EraseProgram->setEnabled(false);  // usable once the start-up reset attempt ends
}

void frmMain::buildMonitorFrame(QWidget* central)
{
    const ui::Twips t(this);
    fraMonitor = new QGroupBox(QStringLiteral("Monitor"), central);
    fraMonitor->setObjectName(QStringLiteral("fraMonitor"));
    fraMonitor->setGeometry(t.rect(kMonitorLeft, 0, kMonitorWidth, 2655));
    fraMonitor->hide();  // the panel has no function yet: hidden for the whole run

    auto* from = MakeLabel(fraMonitor, "lblMonitorFrom", QStringLiteral("&From:"),
                           t.rect(225, 300, 540, 240));
    txtMonitorAddressFrom = MakeField(fraMonitor, "txtMonitorAddressFrom", t.rect(675, 300, 1005, 285));
    auto* to = MakeLabel(fraMonitor, "lblMonitorTo", QStringLiteral("&To:"), t.rect(225, 675, 540, 240));
    txtMonitorAddressTo = MakeField(fraMonitor, "txtMonitorAddressTo", t.rect(675, 675, 1005, 285));
    cmdMonitorRead = MakeButton(fraMonitor, "cmdMonitorRead", QStringLiteral("&Read"),
                                t.rect(3525, 225, 855, 375));
    cmdMonitorWrite = MakeButton(fraMonitor, "cmdMonitorWrite", QStringLiteral("&Write"),
                                 t.rect(3525, 675, 855, 375));
    auto* data = MakeLabel(fraMonitor, "lblMonitorData", QStringLiteral("&Data:"),
                           t.rect(225, 1200, 540, 240));
    txtMonitorData = new QPlainTextEdit(fraMonitor);
    txtMonitorData->setObjectName(QStringLiteral("txtMonitorData"));
    txtMonitorData->setGeometry(t.rect(675, 1200, 3735, 1110));
    auto* note = MakeLabel(fraMonitor, "lblMonitor1",
                           QStringLiteral("All data must be entered in Hex format!"),
                           t.rect(825, 2400, 1815, 465));
    note->setWordWrap(true);

    from->setBuddy(txtMonitorAddressFrom);
    to->setBuddy(txtMonitorAddressTo);
    data->setBuddy(txtMonitorData);
    for (QLineEdit* address : {txtMonitorAddressFrom, txtMonitorAddressTo}) {
        address->setMaxLength(kMonitorAddressMaxLength);
        ui::MakeEntryField(address, ui::KeyFilter::Hexadecimal);
    }
    cmdMonitorRead->setEnabled(false);
    cmdMonitorWrite->setEnabled(false);
}

void frmMain::buildMenu()
{
    mnuProfile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuProfile->setObjectName(QStringLiteral("mnuProfile"));
    mnuProperties = mnuProfile->addAction(QStringLiteral("Prop&erties..."));
    mnuProperties->setObjectName(QStringLiteral("mnuProperties"));
    mnuSeparator = mnuProfile->addSeparator();
    mnuSeparator->setObjectName(QStringLiteral("mnuSeparator"));
    mnuExit = mnuProfile->addAction(QStringLiteral("E&xit"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
}

void frmMain::buildStatusBar()
{
    const ui::Twips t(this);
    QStatusBar* sta = statusBar();
    sta->setObjectName(QStringLiteral("sta"));
    sta->setSizeGripEnabled(false);
    sta->setFixedHeight(t.y(kStatusBarHeight));

    auto makePanel = [sta](const char* name) {
        auto* panel = new QLabel(sta);
        panel->setObjectName(QLatin1String(name));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setTextFormat(Qt::PlainText);
        return panel;
    };
    staPanel1 = makePanel("staPanel1");
    staPanel2 = makePanel("staPanel2");
    staPanel2->setMinimumWidth(t.x(kStatusVersionWidth));

    // Panel 3 shows the download's percentage as a bar in the panel's place. Its text is
    // the format setPercent gives; empty (no text, no fill) until the first download.
    staPanel3Progress = new QProgressBar(sta);
    staPanel3Progress->setObjectName(QStringLiteral("staPanel3Progress"));
    staPanel3Progress->setRange(0, kPercentFull);
    staPanel3Progress->reset();
    staPanel3Progress->setFormat(QString());
    staPanel3Progress->setAlignment(Qt::AlignCenter);
    staPanel3Progress->setFixedWidth(t.x(kStatusPercentWidth));
    staPanel3Progress->setMaximumHeight(t.y(kStatusBarHeight));
    // The window is disabled while it works, which would grey the bar out just while it is
    // watched: it keeps its active colours.
    QPalette barColours = staPanel3Progress->palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText, QPalette::Text,
                                           QPalette::WindowText, QPalette::Base, QPalette::Window}) {
        barColours.setColor(QPalette::Disabled, role, barColours.color(QPalette::Active, role));
    }
    staPanel3Progress->setPalette(barColours);

    sta->addWidget(staPanel1, 1);
    sta->addPermanentWidget(staPanel2);
    sta->addPermanentWidget(staPanel3Progress);
    staPanel1->setText(QStringLiteral("Ready"));
}

void frmMain::placeControls()
{
    const ui::Twips t(this);
    setFixedSize(t.x(kClientWidth), menuBar()->sizeHint().height() + t.y(kClientHeightBelowMenu));

    cmdReset->move(t.x(kTabLeft), t.y(kWindowHeight - kResetTopFromBottom));
    Tab1->setGeometry(t.rect(kTabLeft, kTabTop, kWindowWidth - kTabWidthMargin,
                             kWindowHeight - kTabHeightMargin));
    const QRect client = Tab1->clientArea();
    for (QFrame* member : fraTab1)
        member->setGeometry(client);
    placeMonitorFrame();
}

void frmMain::placeMonitorFrame()
{
    const ui::Twips t(this);
    fraMonitor->setGeometry(t.x(kMonitorLeft), Tab1->clientArea().top(), t.x(kMonitorWidth),
                            fraC167Program->height());
    for (QPushButton* button : {cmdMonitorRead, cmdMonitorWrite})
        button->move(fraMonitor->width() - button->width() - t.x(kMonitorButtonRightMargin),
                     button->y());
}

}  // namespace zandor::app
