// The file dialog component: filter conversion, and cancel as an empty name.
#include <gtest/gtest.h>

#include "controls/CCommonDialog1.h"
#include "tests/support/ScriptedFileDialog.h"

namespace {

using Patterns = std::vector<std::string>;

TEST(FileDialog, FilterPairsBecomeTypesAndStarDotStarMeansEveryFile) {
    CCommonDialog1 dialog;
    dialog.SetFilter("Binary files (*.bin)|*.bin|All files (*.*)|*.*|Images|*.bin;*.hex|Odd");
    ASSERT_EQ(dialog.Filters().size(), 3u);
    EXPECT_EQ(dialog.Filters()[0].description, "Binary files (*.bin)");
    EXPECT_EQ(dialog.Filters()[0].patterns, Patterns{"*.bin"});
    EXPECT_EQ(dialog.Filters()[1].patterns, Patterns{"*"});
    EXPECT_EQ(dialog.Filters()[2].patterns, (Patterns{"*.bin", "*.hex"}));
    dialog.SetFilter("Binary files (*.bin)|*.bin");
    EXPECT_EQ(dialog.Filters().size(), 1u);
}

TEST(FileDialog, ChosenPathThenCancelLeavesAnEmptyName) {
    CCommonDialog1 dialog;
    dialog.ShowOpenDialog();
    EXPECT_EQ(dialog.GetFileName(), "") << "no window: every dialog is cancelled";

    ScriptedFileDialog view;
    view.answers = {"/data/a.bin", ""};
    dialog.Bind(&view);
    dialog.SetFilter("Binary files (*.bin)|*.bin");
    dialog.ShowSaveDialog();
    EXPECT_EQ(dialog.GetFileName(), "/data/a.bin");
    dialog.ShowOpenDialog();
    EXPECT_EQ(dialog.GetFileName(), "");
    ASSERT_EQ(view.shown.size(), 2u);
    EXPECT_TRUE(view.shown[0].save);
    EXPECT_FALSE(view.shown[1].save);
    EXPECT_EQ(view.shown[0].filters[0].patterns, Patterns{"*.bin"});
}

}  // namespace
