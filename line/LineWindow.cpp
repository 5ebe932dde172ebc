#include "LineWindow.h"

#include "LineTotals.h"
#include "PortNames.h"
#include "PortTile.h"
#include "SetupPanel.h"
#include "platform/ProductInfo.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QGridLayout>
#include <QJsonArray>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QShortcut>
#include <QVBoxLayout>

namespace zandor::line {

namespace {

constexpr int kClockTickMs = 1000;
constexpr int kLogLinesKept = 500;
constexpr int kLogLinesShown = 6;
constexpr int kTotalsPoints = 20;
constexpr int kButtonPoints = 16;
constexpr int kQuitAfterStopMs = 10000;  // closing: the run is ended at once after this long

// The totals, in the order they stand: caption, object name, figure.
struct TotalRow {
    const char* caption;
    const char* objectName;
    QString (*figure)(const LineTotals&);
};
const TotalRow kTotals[] = {
    {"Boards", "totalBoards", [](const LineTotals& t) { return QString::number(t.boards); }},
    {"Passed", "totalPassed", [](const LineTotals& t) { return QString::number(t.passed); }},
    {"Failed", "totalFailed", [](const LineTotals& t) { return QString::number(t.failed); }},
    {"Yield", "totalYield", [](const LineTotals& t) { return t.yield; }},
    {"Boards/hour", "totalPerHour", [](const LineTotals& t) { return t.perHour; }},
    {"Elapsed", "totalElapsed", [](const LineTotals& t) { return t.elapsed; }},
};

void SetPoints(QWidget* widget, int points, bool bold)
{
    QFont font = widget->font();
    font.setPointSize(points);
    font.setBold(bold);
    widget->setFont(font);
}

// zandor-cli's refusal of a whole run, with the fix where the set-up holds it.
QString RefusalText(const QString& message)
{
    QString text = QStringLiteral("zandor-cli refused the run: %1").arg(message);
    if (message.startsWith(QLatin1String("unknown option")))
        text += QStringLiteral("\nThis zandor-cli does not know that option yet: clear it in the set-up.");
    return text;
}

}  // namespace

LineWindow::LineWindow(const LineSetup& setup, QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("lineWindow"));
    setWindowTitle(QStringLiteral("Zandor Production Line"));
    setAcceptDrops(true);
    gang_ = new GangProcess(this);
    connect(gang_, &GangProcess::eventReceived, this, &LineWindow::onEvent);
    connect(gang_, &GangProcess::errorLine, this, [this](const QString& text) { appendLog(QString(), text); });
    connect(gang_, &GangProcess::ended, this, &LineWindow::onEnded);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(buildTotals());

    problem_ = new QLabel(central);
    problem_->setObjectName(QStringLiteral("problemLabel"));
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("background:#f08c8c; color:black; padding:8px;"));
    SetPoints(problem_, kButtonPoints - 2, true);
    problem_->hide();
    layout->addWidget(problem_);

    setupPanel_ = new SetupPanel(central);
    setupPanel_->setSetup(setup);
    layout->addWidget(setupPanel_);

    auto* scroll = new QScrollArea(central);
    scroll->setObjectName(QStringLiteral("tileArea"));
    scroll->setWidgetResizable(true);
    tileHost_ = new QWidget(scroll);
    tileGrid_ = new QGridLayout(tileHost_);
    scroll->setWidget(tileHost_);
    layout->addWidget(scroll, 1);

    log_ = new QPlainTextEdit(central);
    log_->setObjectName(QStringLiteral("logView"));
    log_->setReadOnly(true);
    log_->setMaximumBlockCount(kLogLinesKept);
    log_->setFixedHeight(log_->fontMetrics().lineSpacing() * kLogLinesShown + 12);
    layout->addWidget(log_);
    setCentralWidget(central);

    connect(&clockTimer_, &QTimer::timeout, this, [this] {
        elapsedMs_ = clock_.elapsed();
        showTotals();
    });
    // Space starts and stops (a text field being edited keeps its blank); F11 full screen.
    auto* space = new QShortcut(QKeySequence(Qt::Key_Space), this);
    connect(space, &QShortcut::activated, this, [this] { running_ ? stop() : start(); });
    auto* fullScreen = new QShortcut(QKeySequence(Qt::Key_F11), this);
    connect(fullScreen, &QShortcut::activated, this,
            [this] { isFullScreen() ? showNormal() : showFullScreen(); });

    buildTiles(setup.ports);
    setRunning(false);
    showTotals();
}

QWidget* LineWindow::buildTotals()
{
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    for (const TotalRow& total : kTotals) {
        auto* caption = new QLabel(tr(total.caption), bar);
        auto* value = new QLabel(bar);
        value->setObjectName(QLatin1String(total.objectName));
        SetPoints(caption, kTotalsPoints - 6, false);
        SetPoints(value, kTotalsPoints, true);
        auto* pair = new QVBoxLayout;
        pair->addWidget(caption, 0, Qt::AlignHCenter);
        pair->addWidget(value, 0, Qt::AlignHCenter);
        row->addLayout(pair, 1);
        totalValues_ << value;
    }
    startButton_ = new QPushButton(tr("Start"), bar);
    startButton_->setObjectName(QStringLiteral("startButton"));
    stopButton_ = new QPushButton(tr("Stop"), bar);
    stopButton_->setObjectName(QStringLiteral("stopButton"));
    setupToggle_ = new QPushButton(tr("Set-up"), bar);
    setupToggle_->setObjectName(QStringLiteral("setupToggle"));
    setupToggle_->setCheckable(true);
    for (QPushButton* button : {startButton_, stopButton_, setupToggle_}) {
        SetPoints(button, kButtonPoints, true);
        button->setMinimumHeight(48);
        button->setFocusPolicy(Qt::NoFocus);  // Space is the shortcut, never a button's click
        row->addWidget(button);
    }
    connect(startButton_, &QPushButton::clicked, this, &LineWindow::start);
    connect(stopButton_, &QPushButton::clicked, this, &LineWindow::stop);
    connect(setupToggle_, &QPushButton::toggled, this, [this](bool shown) { setupPanel_->setVisible(shown); });
    return bar;
}

void LineWindow::buildTiles(const QStringList& ports)
{
    for (PortTile* tile : tiles_)
        delete tile;
    tiles_.clear();
    tallies_.clear();
    shortNames_ = ShortPortNames(ports);
    const int columns = TileColumns(int(ports.size()));
    for (int i = 0; i < ports.size(); ++i) {
        PortTally tally;
        tally.port = ports.at(i);
        tallies_.push_back(tally);
        auto* tile = new PortTile(shortNames_.at(i), tileHost_);
        tile->setObjectName(QStringLiteral("tile%1").arg(i + 1));
        tileGrid_->addWidget(tile, i / columns, i % columns);
        tiles_.push_back(tile);
        tile->display(tally);
    }
}

void LineWindow::start()
{
    if (running_)
        return;
    const LineSetup setup = setupPanel_->setup();
    saveSetup();
    if (const QStringList problems = SetupProblems(setup); !problems.isEmpty()) {
        showProblem(problems.join(QLatin1Char('\n')));
        setupToggle_->setChecked(true);
        return;
    }
    showProblem(QString());
    buildTiles(setup.ports);
    elapsedMs_ = 0;
    clock_.start();
    clockTimer_.start(kClockTickMs);
    stopRequested_ = false;
    setRunning(true);
    const QStringList arguments = GangArguments(setup);
    appendLog(QString(), QStringLiteral("zandor-cli %1").arg(arguments.join(QLatin1Char(' '))));
    gang_->start(CliProgram(), arguments);
}

void LineWindow::stop()
{
    if (!running_)
        return;
    appendLog(QString(), stopRequested_ ? QStringLiteral("stopping at once")
                                        : QStringLiteral("stopping: every board finishes its current record or bank"));
    stopRequested_ = true;
    stopButton_->setText(tr("Stop now"));
    gang_->interrupt();
}

void LineWindow::onEvent(const QJsonObject& event)
{
    const QString kind = event.value(QStringLiteral("event")).toString();
    QString port = event.value(QStringLiteral("port")).toString();
    if (kind == QLatin1String("info") || kind == QLatin1String("error"))
        appendLog(port, event.value(QStringLiteral("text")).toString());
    if (port.isEmpty()) {
        if (kind == QLatin1String("result")) {
            onRunResult(event);
            return;
        }
        if (tallies_.size() != 1)
            return;
        port = tallies_.front().port;  // one port: zandor-cli runs it itself, untagged
    }
    const int index = indexOfPort(port);
    if (index < 0)
        return;
    PortTally& tally = tallies_[size_t(index)];
    const int boardsBefore = tally.done + tally.failed;
    ApplyEvent(tally, event);
    if (tally.done + tally.failed != boardsBefore) {
        appendLog(port, tally.state == TileState::Done
                            ? QStringLiteral("board done in %1 s").arg(tally.lastSeconds, 0, 'f', 1)
                            : QStringLiteral("board failed: %1").arg(tally.detail));
    }
    showTally(index);
}

void LineWindow::onRunResult(const QJsonObject& event)
{
    const QJsonValue boards = event.value(QStringLiteral("boards"));
    if (boards.isArray()) {  // the gang's summary: every board process's row
        for (const QJsonValue& row : boards.toArray()) {
            const int index = indexOfPort(row.toObject().value(QStringLiteral("port")).toString());
            if (index >= 0) {
                ApplySummaryRow(tallies_[size_t(index)], row.toObject());
                showTally(index);
            }
        }
        return;
    }
    if (event.value(QStringLiteral("exit_code")).toInt() != 0)
        showProblem(RefusalText(event.value(QStringLiteral("message")).toString()));
}

void LineWindow::onEnded(int exitCode, bool crashed, const QString& startError)
{
    if (!startError.isEmpty())
        showProblem(startError);
    else if (crashed && !stopRequested_)
        showProblem(QStringLiteral("zandor-cli ended abnormally (exit %1): the boards still marked as running "
                                   "were not finished; start again").arg(exitCode));
    for (int i = 0; i < int(tallies_.size()); ++i) {
        SettleUnfinished(tallies_[size_t(i)], stopRequested_);
        showTally(i);
    }
    clockTimer_.stop();
    elapsedMs_ = clock_.isValid() ? clock_.elapsed() : 0;
    appendLog(QString(), QStringLiteral("the run ended (zandor-cli exit %1)").arg(exitCode));
    setRunning(false);
    showTotals();
    emit runEnded();
    if (closeWhenEnded_)
        close();
}

void LineWindow::showTally(int index)
{
    tiles_[size_t(index)]->display(tallies_[size_t(index)]);
    showTotals();
}

void LineWindow::showTotals()
{
    const LineTotals totals = ComputeTotals(tallies_, elapsedMs_);
    for (int i = 0; i < totalValues_.size(); ++i)
        totalValues_.at(i)->setText(kTotals[i].figure(totals));
}

void LineWindow::showProblem(const QString& text)
{
    problem_->setText(text);
    problem_->setVisible(!text.isEmpty());
    if (!text.isEmpty())
        appendLog(QString(), text);
}

void LineWindow::appendLog(const QString& port, const QString& text)
{
    const int index = indexOfPort(port);
    const QString name = index >= 0 ? QStringLiteral("[%1] ").arg(shortNames_.at(index)) : QString();
    log_->appendPlainText(QStringLiteral("%1  %2%3").arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")),
                                                         name, text));
}

void LineWindow::setRunning(bool running)
{
    running_ = running;
    startButton_->setEnabled(!running);
    stopButton_->setEnabled(running);
    stopButton_->setText(tr("Stop"));
    setupToggle_->setChecked(!running);  // folds away while boards run
    setupToggle_->setEnabled(!running);
    setupPanel_->setVisible(!running);
}

void LineWindow::saveSetup()
{
    QSettings settings(SetupFilePath(), QSettings::IniFormat);
    SaveSetup(settings, setupPanel_->setup());
}

int LineWindow::indexOfPort(const QString& port) const
{
    for (int i = 0; i < int(tallies_.size()); ++i) {
        if (tallies_[size_t(i)].port == port)
            return i;
    }
    return -1;
}

void LineWindow::closeEvent(QCloseEvent* event)
{
    if (!running_) {
        saveSetup();
        event->accept();
        return;
    }
    event->ignore();
    if (closeWhenEnded_)
        return;  // already asked; the run is ending
    const auto answer = QMessageBox::question(
        this, windowTitle(),
        tr("Boards are being programmed. Stop them (each finishes its current record or bank) and close?"));
    if (answer != QMessageBox::Yes)
        return;
    closeWhenEnded_ = true;
    stop();
    QTimer::singleShot(kQuitAfterStopMs, this, [this] { gang_->interrupt(); });
}

void LineWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!running_ && event->mimeData()->hasUrls() && event->mimeData()->urls().first().isLocalFile())
        event->acceptProposedAction();
}

void LineWindow::dropEvent(QDropEvent* event)
{
    setupPanel_->setFile(event->mimeData()->urls().first().toLocalFile());
    setupToggle_->setChecked(true);
    event->acceptProposedAction();
}

}  // namespace zandor::line
