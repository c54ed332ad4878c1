// The file dialog component: filter conversion, and cancel as an empty name.
#include <gtest/gtest.h>

#include "tests/support/ScriptedUser.h"

namespace korvel {

namespace {

using Texts = std::vector<std::string>;

TEST(FileDialog, FilterPairsBecomeTypesAndCancelLeavesAnEmptyName) {
    CCommonDialog1 dialog;
    ScriptedUser view;
    view.paths = {"/data/a.bin", ""};
    dialog.Bind(&view);
    dialog.SetFilter("Binary files (*.bin)|*.bin|All files (*.*)|*.*|Images|*.bin;*.hex|Odd");
    dialog.ShowSaveDialog();
    EXPECT_EQ(dialog.GetFileName(), "/data/a.bin");
    dialog.ShowOpenDialog();
    EXPECT_EQ(dialog.GetFileName(), "");
    // "*.*" becomes "*": every file, with a dot in its name or not.
    EXPECT_EQ(view.shown, (Texts{"save *.bin * *.bin", "open *.bin * *.bin"}));
    ASSERT_EQ(dialog.Filters().size(), 3u);
    EXPECT_EQ(dialog.Filters()[1].description, "All files (*.*)");
    EXPECT_EQ(dialog.Filters()[2].patterns, (Texts{"*.bin", "*.hex"}));
}

}  // namespace

}  // namespace korvel
