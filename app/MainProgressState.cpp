#include "MainProgressState.h"

#include "protocol/SRecordCodec.h"

#include <QColor>
#include <QPalette>
#include <QProgressBar>
#include <QVariant>
#include <cstring>

namespace zandor::app {

namespace {
constexpr int kPercentFull = 100;
constexpr const char* kRunStateProperty = "runState";

// The fill colour of each end state; the bar's text is drawn in white over it.
struct StateColour {
    const char* state;
    QColor fill;
};
const StateColour kStateColours[] = {
    {"done", QColor(0x2e, 0x7d, 0x32)},     // green
    {"error", QColor(0xc6, 0x28, 0x28)},    // red
    {"stopped", QColor(0xb2, 0x6a, 0x00)},  // amber
};

const char* StateOf(protocol::Outcome outcome)
{
    switch (outcome) {
    case protocol::Outcome::Done:
        return "done";
    case protocol::Outcome::Interrupted:
        return "stopped";
    default:
        return "error";
    }
}
}  // namespace

void ProgressRunState::attach(QProgressBar* bar)
{
    bar_ = bar;
    neutral_ = bar->palette();
}

void ProgressRunState::start()
{
    bar_->reset();
    bar_->setFormat(QString());
    show("");
}

void ProgressRunState::finish(protocol::Outcome outcome)
{
    if (outcome == protocol::Outcome::Done) {
        bar_->setValue(kPercentFull);
        bar_->setFormat(protocol::PercentText(kPercentFull));
    }
    show(StateOf(outcome));
}

void ProgressRunState::show(const char* state)
{
    // A state changes only the fill and the text over it, in every colour group: the
    // window is disabled while it works, and the bar keeps its colours then too.
    QPalette colours = neutral_;
    for (const StateColour& entry : kStateColours) {
        if (std::strcmp(entry.state, state) != 0)
            continue;
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            colours.setColor(group, QPalette::Highlight, entry.fill);
            colours.setColor(group, QPalette::HighlightedText, Qt::white);
        }
    }
    bar_->setPalette(colours);
    bar_->setProperty(kRunStateProperty, QString::fromLatin1(state));
}

}  // namespace zandor::app
