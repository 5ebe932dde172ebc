#pragma once

#include <QString>

class QLineEdit;

namespace zandor::ui {

// Upper-cases `text` in place and tells whether every character is 0-9 or A-F.
// The empty text gives true.
bool IsHexText(QString& text);

// Selects the field's whole text, so that typing replaces it.
void SelectAllText(QLineEdit* field);

enum class KeyFilter {
    None,         // any character
    Hexadecimal,  // 0-9, A-F, a-f (entered as typed) and backspace
    ActiveLevel,  // "0", "1" and backspace
};

// Gives a text field the program's entry behaviour: select-all when it gains focus and,
// for a filtered field, the key filter; pasted text (Ctrl+V refused, context-menu paste
// filtered) never leaves a character the filter would refuse.
void MakeEntryField(QLineEdit* field, KeyFilter filter);

}  // namespace zandor::ui
