#include "EntryFields.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QObject>
#include <QTimer>

namespace zandor::ui {

namespace {

constexpr int kBackspace = 8;
constexpr int kDelete = 0x7F;

bool IsHexDigit(QChar c)
{
    QString one(c);
    return IsHexText(one);
}

bool Accepts(KeyFilter filter, QChar c)
{
    switch (filter) {
    case KeyFilter::None:
        return true;
    case KeyFilter::Hexadecimal:
        return IsHexDigit(c);
    case KeyFilter::ActiveLevel:
        return c == QLatin1Char('0') || c == QLatin1Char('1');
    }
    return true;
}

// Select-all on focus, the key filter, and the clean-up of pasted or dropped text.
class EntryFieldBehaviour : public QObject {
public:
    EntryFieldBehaviour(QLineEdit* field, KeyFilter filter) : QObject(field), field_(field), filter_(filter)
    {
        field->installEventFilter(this);
        if (filter_ != KeyFilter::None)
            connect(field, &QLineEdit::textEdited, this, [this](const QString& text) { dropRefused(text); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != field_)
            return false;
        if (event->type() == QEvent::FocusIn) {
            // A mouse click places the caret after the focus arrives; select once it has.
            QTimer::singleShot(0, field_, [field = field_] { SelectAllText(field); });
            return false;
        }
        if (event->type() == QEvent::KeyPress && filter_ != KeyFilter::None)
            return refusesKey(static_cast<QKeyEvent*>(event));
        return false;
    }

private:
    bool refusesKey(QKeyEvent* key)
    {
        const QString text = key->text();
        if (text.isEmpty())
            return false;  // arrows, Home, End: no character, not filtered
        const QChar c = text.at(0);
        if (c.unicode() == kBackspace)
            return false;
        // X11 hands Delete over with the character DEL (7Fh); it edits, it types nothing.
        if (key->key() == Qt::Key_Delete || c.unicode() == kDelete)
            return false;
        // Tab and Shift+Tab move the focus on; they type nothing.
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            return false;
        const bool dialogKey = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter
                               || key->key() == Qt::Key_Escape;
        if (dialogKey && qobject_cast<QDialog*>(field_->window()))
            return false;  // the dialog's default and cancel buttons take them first
        return !Accepts(filter_, c);
    }

    void dropRefused(const QString& text)
    {
        QString kept;
        int cursor = field_->cursorPosition();
        for (int i = 0; i < text.size(); ++i) {
            if (Accepts(filter_, text.at(i)))
                kept.append(text.at(i));
            else if (i < field_->cursorPosition())
                --cursor;
        }
        if (kept != text) {
            field_->setText(kept);
            field_->setCursorPosition(qMax(0, cursor));
        }
    }

    QLineEdit* field_;
    KeyFilter filter_;
};

}  // namespace

bool IsHexText(QString& text)
{
    text = text.toUpper();
    for (QChar c : text) {
        const ushort code = c.unicode();
        const bool digit = (code >= '0' && code <= '9') || (code >= 'A' && code <= 'F');
        if (!digit)
            return false;
    }
    return true;
}

void SelectAllText(QLineEdit* field)
{
    field->setSelection(0, field->text().length());
}

void MakeEntryField(QLineEdit* field, KeyFilter filter)
{
    new EntryFieldBehaviour(field, filter);
}

}  // namespace zandor::ui
