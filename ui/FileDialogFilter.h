#pragma once

#include <QString>

namespace zandor::ui {

// Turns a browse button's filter, pairs of description and pattern separated by "|"
// ("S-Record File (*.sre)|*.sre|Binary File (*.bin)|*.bin"), into the form the file dialog
// takes ("S-Record File (*.sre);;Binary File (*.bin)"); the first pair is the initial
// choice. Several patterns of one pair, separated by ";", become one blank-separated list;
// a description that does not already show its patterns in parentheses gets them added
// (patterns it shows separated by ";" are shown separated by blanks).
// A description without a pattern (a trailing one) is dropped: the dialog would take its
// words for file name patterns.
QString FileDialogFilter(const QString& pairs);

}  // namespace zandor::ui
