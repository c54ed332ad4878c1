#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/install/ToolRun.h"
#include "tests/support/TempDir.h"

namespace korvel {

// Korvel as `cmake --install` lays it out in a fresh prefix, once for each group of tests.
class InstalledTree : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite() { prefix_.reset(); }
    void SetUp() override { ASSERT_EQ(install_.status, 0) << install_.out << install_.err; }

    // A file below the prefix, such as "bin/korvel-cli".
    static std::string Installed(const std::string& path);
    // Every file below the prefix, by its path there, in order.
    static std::vector<std::string> InstalledFiles();

  private:
    static std::unique_ptr<TempDir> prefix_;
    static ToolRun install_;
};

}  // namespace korvel
