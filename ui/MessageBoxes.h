#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace zandor::ui {

struct MessageBoxRequest {
    QString caption;
    QString text;
    QMessageBox::Icon icon;
};

// Shows a modal box with one OK button. Tests install a hook that records the request
// (and returns at once) instead of showing a box.
void ShowMessageBox(QWidget* parent, const QString& caption, const QString& text,
                    QMessageBox::Icon icon);

using MessageBoxHook = std::function<void(const MessageBoxRequest&)>;
void SetMessageBoxHook(MessageBoxHook hook);

}  // namespace zandor::ui
