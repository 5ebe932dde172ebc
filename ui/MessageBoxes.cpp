#include "MessageBoxes.h"

namespace zandor::ui {

namespace {
MessageBoxHook& Hook()
{
    static MessageBoxHook hook;
    return hook;
}
}  // namespace

void SetMessageBoxHook(MessageBoxHook hook)
{
    Hook() = std::move(hook);
}

void ShowMessageBox(QWidget* parent, const QString& caption, const QString& text,
                    QMessageBox::Icon icon)
{
    if (Hook()) {
        Hook()({caption, text, icon});
        return;
    }
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace zandor::ui
