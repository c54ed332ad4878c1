// The Debian package as `cpack -G DEB` makes it from the build: its files, its fields, and what
// Debian's own checker, lintian, finds in it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "tests/support/ToolRun.h"
#include "tools/launch/SimulatorProcess.h"
#include "tools/launch/TempDir.h"

namespace korvel {

namespace {

// Every file below `root`, by its path from there, in order.
std::vector<std::string> FilesBelow(const std::filesystem::path& root) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_directory()) {
            files.push_back(entry.path().lexically_relative(root).string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The one package file in `folder`, or "" when there is not exactly one.
std::string PackageIn(const std::filesystem::path& folder) {
    std::vector<std::string> packages;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".deb") {
            packages.push_back(entry.path().string());
        }
    }
    return packages.size() == 1 ? packages.front() : "";
}

}  // namespace

TEST(DebianPackage, HoldsCompressedManPagesAChangelogAndHardenedProgramsThatLintianPasses) {
    if (KORVEL_SANITIZE) {
        GTEST_SKIP() << "a sanitizer build is for the tests, not for a package";
    }
    for (const auto& [program, package] :
         {std::pair{"dpkg-shlibdeps", "dpkg-dev"}, std::pair{"file", "file"}}) {
        if (!OnPath(program)) {
            GTEST_SKIP() << program << " (Debian package " << package << ") is not installed";
        }
    }
    TempDir made;
    const ToolRun cpack = RunTool({KORVEL_CPACK, "-G", "DEB", "--config",
                                   KORVEL_BUILD_DIR "/CPackConfig.cmake", "-B", made.File("")});
    ASSERT_EQ(cpack.status, 0) << cpack.out << cpack.err;
    const std::string deb = PackageIn(made.path());
    // The name carries the machine's architecture as dpkg names it, such as amd64.
    std::string architecture = RunTool({"dpkg", "--print-architecture"}).out;
    architecture.erase(architecture.find_last_not_of('\n') + 1);
    ASSERT_EQ(std::filesystem::path(deb).filename(), "korvel_3.0.0.0_" + architecture + ".deb");

    const ToolRun unpack = RunTool({"dpkg-deb", "-x", deb, made.File("root")});
    ASSERT_EQ(unpack.status, 0) << unpack.err;
    // Each file, and whether only a build with the window installs it.
    const std::pair<const char*, bool> files[] = {
        {"usr/bin/korvel", true},
        {"usr/bin/korvel-boardsim", false},
        {"usr/bin/korvel-cli", false},
        {"usr/share/applications/org.example.korvel.Korvel.desktop", true},
        {"usr/share/bash-completion/completions/korvel-boardsim", false},
        {"usr/share/bash-completion/completions/korvel-cli", false},
        {"usr/share/doc/korvel/changelog.gz", false},
        {"usr/share/doc/korvel/copyright", false},
        {"usr/share/icons/hicolor/128x128/apps/org.example.korvel.Korvel.png", true},
        {"usr/share/icons/hicolor/256x256/apps/org.example.korvel.Korvel.png", true},
        {"usr/share/icons/hicolor/48x48/apps/org.example.korvel.Korvel.png", true},
        {"usr/share/icons/hicolor/64x64/apps/org.example.korvel.Korvel.png", true},
        {"usr/share/icons/hicolor/scalable/apps/org.example.korvel.Korvel.svg", true},
        {"usr/share/man/man1/korvel-boardsim.1.gz", false},
        {"usr/share/man/man1/korvel-cli.1.gz", false},
        {"usr/share/man/man1/korvel.1.gz", true},
        {"usr/share/metainfo/org.example.korvel.Korvel.metainfo.xml", true},
    };
    std::vector<std::string> expected;
    for (const auto& [file, windowOnly] : files) {
        if (KORVEL_WINDOW || !windowOnly) {
            expected.push_back(file);
        }
    }
    EXPECT_EQ(FilesBelow(made.File("root")), expected);

    // The compressed files unpack to the sources, and the licence is there as written.
    const std::string source = KORVEL_SOURCE_DIR "/packaging/";
    const std::pair<std::string, std::string> compressed[] = {
        {"usr/share/doc/korvel/changelog.gz", source + "changelog"},
        {"usr/share/man/man1/korvel-cli.1.gz", source + "man/korvel-cli.1"},
        {"usr/share/man/man1/korvel-boardsim.1.gz", source + "man/korvel-boardsim.1"},
    };
    for (const auto& [packed, original] : compressed) {
        const ToolRun unpacked = RunTool({"gzip", "-dc", made.File("root/" + packed)});
        EXPECT_EQ(unpacked.status, 0) << packed << ": " << unpacked.err;
        EXPECT_TRUE(unpacked.out == ReadFileText(original)) << packed << " is not " << original;
    }
    EXPECT_EQ(ReadFileText(made.File("root/usr/share/doc/korvel/copyright")),
              ReadFileText(source + "copyright"));
    // The Buffer button's viewer is xdg-open.
    EXPECT_EQ(Outcome(RunTool({"dpkg-deb", "-f", deb, "Version", "Recommends"})),
              "0: Version: 3.0.0.0\nRecommends: xdg-utils\n");

    if (!OnPath("lintian")) {
        GTEST_SKIP() << "lintian (Debian package lintian) is not installed";
    }
    // No error and no warning; among the notes, none that a program misses a hardening flag.
    const ToolRun lintian = RunTool({"lintian", "--display-info", deb});
    EXPECT_EQ(lintian.status, 0) << lintian.out << lintian.err;
    std::istringstream lines(lintian.out);
    for (std::string line; std::getline(lines, line);) {
        const bool faulted = line.rfind("E: ", 0) == 0 || line.rfind("W: ", 0) == 0 ||
                             line.find(" hardening-") != std::string::npos;
        EXPECT_FALSE(faulted) << line;
    }
}

}  // namespace korvel
