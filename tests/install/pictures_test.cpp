// The committed pictures and icons are what resources/draw_pictures.py draws, byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/ToolRun.h"
#include "tools/launch/SimulatorProcess.h"
#include "tools/launch/TempDir.h"

namespace korvel {

namespace {

// The files in the pictures/ and icons/ folders below `root`, by their paths from there.
std::vector<std::string> PictureFiles(const std::filesystem::path& root) {
    std::vector<std::string> files;
    for (const char* folder : {"icons", "pictures"}) {
        for (const auto& entry : std::filesystem::directory_iterator(root / folder)) {
            files.push_back(entry.path().lexically_relative(root).string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

TEST(DrawPictures, CommittedFilesAreWhatTheScriptDraws) {
    if (!OnPath("python3")) {
        GTEST_SKIP() << "python3 is not installed";
    }
    const std::filesystem::path committed = std::filesystem::path(KORVEL_SOURCE_DIR) / "resources";
    TempDir drawn;
    const ToolRun run =
        RunTool({"python3", (committed / "draw_pictures.py").string(), drawn.path().string()});
    ASSERT_EQ(run.status, 0) << run.err;

    // The five icons and ten pictures, each picture also at twice the size, no more and no fewer
    // than the script draws.
    const std::vector<std::string> files = PictureFiles(drawn.path());
    EXPECT_EQ(files.size(), 25u);
    EXPECT_EQ(PictureFiles(committed), files);
    for (const std::string& file : files) {
        EXPECT_TRUE(ReadFileBytes((committed / file).string()) ==
                    ReadFileBytes((drawn.path() / file).string()))
            << file << " differs from what draw_pictures.py draws: run it again and commit";
    }
}

}  // namespace korvel
