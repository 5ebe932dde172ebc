#pragma once

#include "app/IStatusSurface.h"

#include <QStringList>

namespace zandor::testing {

// Records what the main window would show of the protocol's events, in order.
class RecordingReporter : public app::IStatusSurface {
public:
    struct Box {
        QString text;
        app::MessageIcon icon;
    };

    void setStatusText(const QString& text) override { statusHistory.append(text); }
    QString statusText() const override { return statusHistory.value(statusHistory.size() - 1); }
    void setPercent(int, const QString& text) override { percentHistory.append(text); }
    void notRespondingBox() override
    {
        ++notResponding;
        events.append(QStringLiteral("<not responding>"));
    }
    void messageBox(const QString& text, app::MessageIcon icon) override
    {
        boxes.append({text, icon});
        events.append(text);
    }

    QStringList statusHistory;
    QStringList percentHistory;
    QList<Box> boxes;
    QStringList events;  // message texts and "<not responding>", in order
    int notResponding = 0;
};

}  // namespace zandor::testing
