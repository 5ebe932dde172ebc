#include "SetupPanel.h"

#include "cli/CliOptions.h"
#include "cli/RunSetup.h"
#include "platform/SerialPortList.h"
#include "profiles/ProfileStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace zandor::line {

namespace {

constexpr int kPortRowsShown = 5;

QLineEdit* Edit(QWidget* parent, const char* objectName, const QString& hint)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(objectName));
    edit->setPlaceholderText(hint);
    return edit;
}

QWidget* WithBrowse(QWidget* parent, QLineEdit* edit, const char* buttonName, const QString& caption, bool save)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* browse = new QPushButton(QObject::tr("Browse..."), row);
    browse->setObjectName(QLatin1String(buttonName));
    layout->addWidget(edit, 1);
    layout->addWidget(browse);
    QObject::connect(browse, &QPushButton::clicked, row, [row, edit, caption, save] {
        const QString chosen = save ? QFileDialog::getSaveFileName(row, caption, edit->text(), QString(), nullptr,
                                                                   QFileDialog::DontConfirmOverwrite)
                                    : QFileDialog::getOpenFileName(row, caption, edit->text());
        if (!chosen.isEmpty())
            edit->setText(chosen);
    });
    return row;
}

}  // namespace

SetupPanel::SetupPanel(QWidget* parent) : QGroupBox(tr("Set-up"), parent)
{
    setObjectName(QStringLiteral("setupPanel"));
    profile_ = new QComboBox(this);
    profile_->setObjectName(QStringLiteral("profileBox"));
    file_ = Edit(this, "fileEdit", tr("S-record or binary file; drop it on the window"));
    memory_ = new QComboBox(this);
    memory_->setObjectName(QStringLiteral("memoryBox"));
    memory_->addItems(cli::MemoryOptionNames());
    ports_ = new QListWidget(this);
    ports_->setObjectName(QStringLiteral("portList"));
    ports_->setMaximumHeight(ports_->sizeHintForRow(0) > 0 ? ports_->sizeHintForRow(0) * kPortRowsShown : 120);
    auto* refresh = new QPushButton(tr("Look for ports again"), this);
    refresh->setObjectName(QStringLiteral("refreshPortsButton"));
    connect(refresh, &QPushButton::clicked, this, [this] {
        const LineSetup kept = setup();
        refreshLists();
        setSetup(kept);
    });
    loop_ = new QCheckBox(tr("Board after board until Stop"), this);
    loop_->setObjectName(QStringLiteral("loopCheck"));
    skipBlank_ = new QCheckBox(tr("Skip blank records"), this);
    skipBlank_->setObjectName(QStringLiteral("skipBlankCheck"));
    resetSequence_ = Edit(this, "resetSequenceEdit", tr("e.g. dtr=on rts=on wait=50 rts=off wait=100 (empty: the profile's)"));
    runSequence_ = Edit(this, "runSequenceEdit", tr("sequence that starts the programmed board"));
    nextBoard_ = Edit(this, "nextBoardEdit", tr("with a reset sequence: adapter, dsr, dcd or cts"));
    serialFile_ = Edit(this, "serialFileEdit", tr("counter file (empty: no serial numbers)"));
    serialAt_ = Edit(this, "serialAtEdit", tr("address, hexadecimal"));
    serialStart_ = Edit(this, "serialStartEdit", tr("first number of a new counter"));
    serialCommand_ = Edit(this, "serialCommandEdit", tr("or a command that prints the next number"));
    operator_ = Edit(this, "operatorEdit", tr("your name, for the log"));
    log_ = Edit(this, "logEdit", tr("one JSON line per board (empty: no log)"));

    auto* portColumn = new QWidget(this);
    auto* portLayout = new QVBoxLayout(portColumn);
    portLayout->setContentsMargins(0, 0, 0, 0);
    portLayout->addWidget(ports_);
    portLayout->addWidget(refresh, 0, Qt::AlignLeft);

    auto* left = new QFormLayout;
    left->addRow(tr("Profile"), profile_);
    left->addRow(tr("Application file"), WithBrowse(this, file_, "browseFileButton", tr("Application file"), false));
    left->addRow(tr("Memory"), memory_);
    left->addRow(tr("Ports"), portColumn);
    left->addRow(QString(), loop_);
    left->addRow(QString(), skipBlank_);
    auto* right = new QFormLayout;
    right->addRow(tr("Reset sequence"), resetSequence_);
    right->addRow(tr("Run sequence"), runSequence_);
    right->addRow(tr("Next board"), nextBoard_);
    right->addRow(tr("Serial counter file"), WithBrowse(this, serialFile_, "browseSerialButton", tr("Counter file"), true));
    right->addRow(tr("Serial number at"), serialAt_);
    right->addRow(tr("First serial number"), serialStart_);
    right->addRow(tr("Serial command"), serialCommand_);
    right->addRow(tr("Operator"), operator_);
    right->addRow(tr("Log file"), WithBrowse(this, log_, "browseLogButton", tr("Log file"), true));
    auto* columns = new QHBoxLayout(this);
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    refreshLists();
}

void SetupPanel::refreshLists()
{
    const auto store = cli::OpenProfileStore();
    profile_->clear();
    profile_->addItem(tr("(the window's last profile)"), QString());
    bool hasDefault = false;
    for (const auto& [name, value] : store->readSection(profiles::kProfilesSection)) {
        profile_->addItem(name, name);
        hasDefault = hasDefault || name.compare(profiles::kDefaultProfileName, Qt::CaseInsensitive) == 0;
    }
    if (!hasDefault)
        profile_->addItem(profiles::kDefaultProfileName, profiles::kDefaultProfileName);

    ports_->clear();
    for (const platform::SerialPortEntry& entry : platform::ListSerialPorts(*store)) {
        QString label = entry.device;
        if (!entry.description.isEmpty())
            label += QStringLiteral("  %1").arg(entry.description);
        if (!entry.byId.isEmpty())
            label += QStringLiteral("  (%1)").arg(entry.byId.section(QLatin1Char('/'), -1));
        // The stable name survives replugging and a new order of the adapters.
        addPortRow(entry.byId.isEmpty() ? entry.device : entry.byId, label, false);
    }
}

void SetupPanel::addPortRow(const QString& port, const QString& label, bool checked)
{
    auto* item = new QListWidgetItem(label, ports_);
    item->setData(Qt::UserRole, port);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void SetupPanel::setFile(const QString& file) { file_->setText(file); }

void SetupPanel::setSetup(const LineSetup& setup)
{
    int profileRow = profile_->findData(setup.profile);
    if (profileRow < 0) {  // a profile the store no longer lists: kept, zandor-cli will name the fix
        profile_->addItem(setup.profile, setup.profile);
        profileRow = profile_->count() - 1;
    }
    profile_->setCurrentIndex(profileRow);
    file_->setText(setup.file);
    memory_->setCurrentIndex(std::max(0, int(cli::MemoryOptionNames().indexOf(setup.memory))));
    QStringList missing = setup.ports;
    for (int row = 0; row < ports_->count(); ++row) {
        QListWidgetItem* item = ports_->item(row);
        const QString port = item->data(Qt::UserRole).toString();
        item->setCheckState(setup.ports.contains(port) ? Qt::Checked : Qt::Unchecked);
        missing.removeAll(port);
    }
    for (const QString& port : missing)
        addPortRow(port, port, true);
    loop_->setChecked(setup.loop);
    skipBlank_->setChecked(setup.skipBlank);
    resetSequence_->setText(setup.resetSequence);
    runSequence_->setText(setup.runSequence);
    nextBoard_->setText(setup.nextBoard);
    serialFile_->setText(setup.serialFile);
    serialAt_->setText(setup.serialAt);
    serialStart_->setText(setup.serialStart);
    serialCommand_->setText(setup.serialCommand);
    operator_->setText(setup.operatorName);
    log_->setText(setup.logFile);
}

LineSetup SetupPanel::setup() const
{
    LineSetup setup;
    setup.profile = profile_->currentData().toString();
    setup.file = file_->text().trimmed();
    setup.memory = memory_->currentText();
    // The ticked ports in the order of the list.
    for (int row = 0; row < ports_->count(); ++row) {
        const QListWidgetItem* item = ports_->item(row);
        if (item->checkState() == Qt::Checked)
            setup.ports << item->data(Qt::UserRole).toString();
    }
    setup.loop = loop_->isChecked();
    setup.skipBlank = skipBlank_->isChecked();
    setup.resetSequence = resetSequence_->text().trimmed();
    setup.runSequence = runSequence_->text().trimmed();
    setup.nextBoard = nextBoard_->text().trimmed();
    setup.serialFile = serialFile_->text().trimmed();
    setup.serialAt = serialAt_->text().trimmed();
    setup.serialStart = serialStart_->text().trimmed();
    setup.serialCommand = serialCommand_->text().trimmed();
    setup.operatorName = operator_->text().trimmed();
    setup.logFile = log_->text().trimmed();
    return setup;
}

}  // namespace zandor::line
