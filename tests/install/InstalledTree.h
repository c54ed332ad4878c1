#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/ToolRun.h"
#include "tools/launch/TempDir.h"

namespace korvel {

// Korvel as `cmake --install` lays it out in a fresh prefix, once for each group of tests.
class InstalledTree : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        prefix_ = std::make_unique<TempDir>();
        install_ = RunTool(
            {KORVEL_CMAKE, "--install", KORVEL_BUILD_DIR, "--prefix", prefix_->path().string()});
    }
    static void TearDownTestSuite() { prefix_.reset(); }
    void SetUp() override { ASSERT_EQ(install_.status, 0) << install_.out << install_.err; }

    // A file below the prefix, such as "bin/korvel-cli".
    static std::string Installed(const std::string& path) { return prefix_->File(path); }
    // Every file below the prefix, by its path there, in order.
    static std::vector<std::string> InstalledFiles() {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(prefix_->path())) {
            if (!entry.is_directory()) {
                files.push_back(entry.path().lexically_relative(prefix_->path()).string());
            }
        }
        std::sort(files.begin(), files.end());
        return files;
    }

  private:
    static inline std::unique_ptr<TempDir> prefix_;
    static inline ToolRun install_;
};

}  // namespace korvel
