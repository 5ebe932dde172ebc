#include "PortTile.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace zandor::line {

namespace {

constexpr int kNamePoints = 18;
constexpr int kStatePoints = 28;
constexpr int kTextPoints = 14;
constexpr int kMinimumWidth = 280;
constexpr int kMinimumHeight = 210;

QLabel* Label(QWidget* parent, const char* objectName, int points, bool bold)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(objectName));
    QFont font = label->font();
    font.setPointSize(points);
    font.setBold(bold);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

PortTile::PortTile(const QString& shortName, QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::Box);
    setLineWidth(2);
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    setAutoFillBackground(true);
    name_ = Label(this, "tileName", kNamePoints, true);
    name_->setText(shortName);
    state_ = Label(this, "tileState", kStatePoints, true);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("tileProgress"));
    progress_->setRange(0, 100);
    progress_->setMinimumHeight(28);
    detail_ = Label(this, "tileDetail", kTextPoints, false);
    detail_->setWordWrap(true);
    counts_ = Label(this, "tileCounts", kTextPoints, true);
    last_ = Label(this, "tileLast", kTextPoints, false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(name_);
    layout->addWidget(state_, 1);
    layout->addWidget(progress_);
    layout->addWidget(detail_);
    layout->addWidget(counts_);
    layout->addWidget(last_);
}

void PortTile::display(const PortTally& tally)
{
    const StateLook look = LookOf(tally.state);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, look.colour);
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    setToolTip(tally.port);
    state_->setText(StateLine(tally));
    // Keeps its height when hidden, so tiles do not jump while boards go through the steps.
    QSizePolicy keep = progress_->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    progress_->setSizePolicy(keep);
    progress_->setVisible(tally.state == TileState::Downloading);
    progress_->setValue(std::max(0, tally.percent));
    detail_->setText(tally.state == TileState::Erasing ? QString() : tally.detail);
    counts_->setText(QStringLiteral("done %1    failed %2").arg(tally.done).arg(tally.failed));
    QStringList last;
    if (!tally.lastSerial.isEmpty())
        last << QStringLiteral("serial %1").arg(tally.lastSerial);
    if (tally.lastSeconds >= 0)
        last << QStringLiteral("last board %1 s").arg(tally.lastSeconds, 0, 'f', 1);
    last_->setText(last.join(QStringLiteral("    ")));
}

}  // namespace zandor::line
