#include "tests/install/InstalledTree.h"

#include <algorithm>
#include <filesystem>

namespace korvel {

std::unique_ptr<TempDir> InstalledTree::prefix_;
ToolRun InstalledTree::install_;

void InstalledTree::SetUpTestSuite() {
    prefix_ = std::make_unique<TempDir>();
    install_ = RunTool(
        {KORVEL_CMAKE, "--install", KORVEL_BUILD_DIR, "--prefix", prefix_->path().string()});
}

std::string InstalledTree::Installed(const std::string& path) {
    return prefix_->File(path);
}

std::vector<std::string> InstalledTree::InstalledFiles() {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(prefix_->path())) {
        if (!entry.is_directory()) {
            files.push_back(entry.path().lexically_relative(prefix_->path()).string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace korvel
