#include "ui/FileDialogFilter.h"

#include <gtest/gtest.h>

using zandor::ui::FileDialogFilter;

TEST(FileDialogFilter, TurnsDescriptionAndPatternPairsIntoTheDialogsEntries)
{
    const std::pair<const char*, const char*> cases[] = {
        // The browse buttons' own filters.
        {"S-Record File (*.sre)|*.sre|Binary File (*.bin)|*.bin", "S-Record File (*.sre);;Binary File (*.bin)"},
        {"Binary File (*.bin)|*.bin", "Binary File (*.bin)"},
        // A description that does not show its pattern gets it; several patterns become one list.
        {"Loaders|*.sre; *.s19", "Loaders (*.sre *.s19)"},
        {"Intel HEX files (*.hex;*.h86)|*.hex;*.h86", "Intel HEX files (*.hex *.h86)"},
        {"|*.bin", "(*.bin)"},
        // A description without a pattern would be taken for patterns by the dialog: dropped.
        {"Binary File (*.bin)|*.bin|All Files", "Binary File (*.bin)"},
        {"S-Record File (*.sre)|*.sre|All|", "S-Record File (*.sre)"},
        {"", ""},
    };
    for (const auto& [pairs, expected] : cases)
        EXPECT_EQ(FileDialogFilter(QString::fromUtf8(pairs)), QString::fromUtf8(expected)) << pairs;
}
