// What `cmake --install` lays out, checked file by file and by the desktop's own validators.
#include <gtest/gtest.h>

#include "tests/install/InstalledTree.h"
#include "tools/launch/SimulatorProcess.h"

namespace korvel {

namespace {

class Installation : public InstalledTree {};

const char* const kDesktopEntry = "share/applications/org.example.korvel.Korvel.desktop";
const char* const kNoWindow = "built without the window (KORVEL_WINDOW=OFF): nothing to install";
const char* const kMetainfo = "share/metainfo/org.example.korvel.Korvel.metainfo.xml";

}  // namespace

TEST_F(Installation, AreTheProgramsAndTheirDesktopFilesAndNothingElse) {
    // Each file, and whether only a build with the window installs it.
    const std::pair<const char*, bool> files[] = {
        {"bin/korvel", true},
        {"bin/korvel-boardsim", false},
        {"bin/korvel-cli", false},
        {"share/applications/org.example.korvel.Korvel.desktop", true},
        {"share/bash-completion/completions/korvel-boardsim", false},
        {"share/bash-completion/completions/korvel-cli", false},
        {"share/icons/hicolor/128x128/apps/org.example.korvel.Korvel.png", true},
        {"share/icons/hicolor/256x256/apps/org.example.korvel.Korvel.png", true},
        {"share/icons/hicolor/48x48/apps/org.example.korvel.Korvel.png", true},
        {"share/icons/hicolor/64x64/apps/org.example.korvel.Korvel.png", true},
        {"share/icons/hicolor/scalable/apps/org.example.korvel.Korvel.svg", true},
        {"share/man/man1/korvel-boardsim.1", false},
        {"share/man/man1/korvel-cli.1", false},
        {"share/man/man1/korvel.1", true},
        {"share/metainfo/org.example.korvel.Korvel.metainfo.xml", true},
    };
    std::vector<std::string> expected;
    for (const auto& [file, windowOnly] : files) {
        if (KORVEL_WINDOW || !windowOnly) {
            expected.push_back(file);
        }
    }
    EXPECT_EQ(InstalledFiles(), expected);
}

TEST_F(Installation, ProgramsRunFromTheirInstalledPlaceAndManPagesRenderWithoutWarnings) {
    for (const std::string program : {"korvel-cli", "korvel-boardsim", "korvel"}) {
        if (KORVEL_WINDOW || program != "korvel") {
            EXPECT_EQ(Outcome(RunTool({Installed("bin/" + program), "--version"})),
                      "0: " + program + " (Korvel) 3.0.0.0\n");
        }
    }
    if (!OnPath("groff")) {
        GTEST_SKIP() << "groff is not installed (Debian package groff-base)";
    }
    for (const std::string page : {"korvel-cli.1", "korvel-boardsim.1", "korvel.1"}) {
        if (KORVEL_WINDOW || page != "korvel.1") {
            const ToolRun run =
                RunTool({"groff", "-man", "-ww", "-z", Installed("share/man/man1/" + page)});
            EXPECT_EQ(Outcome(run) + run.err, "0: ") << page;
        }
    }
}

TEST_F(Installation, DesktopEntryAndIconsNameTheProgramAndPassTheValidator) {
    if (!KORVEL_WINDOW) {
        GTEST_SKIP() << kNoWindow;
    }
    const std::string entry = "\n" + ReadFileText(Installed(kDesktopEntry));
    for (const char* line :
         {"[Desktop Entry]", "Type=Application", "Name=Korvel", "GenericName=EEPROM programmer",
          "Exec=korvel", "Icon=org.example.korvel.Korvel", "Terminal=false",
          "Categories=Development;Electronics;"}) {
        EXPECT_NE(entry.find("\n" + std::string(line) + "\n"), std::string::npos) << line;
    }
    EXPECT_EQ(entry.find("\nComment=\n"), std::string::npos);
    EXPECT_NE(entry.find("\nComment="), std::string::npos);

    // A PNG's signature, then its IHDR chunk, which comes first, with the width and the height.
    const std::string png("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
    const std::pair<const char*, std::string> icons[] = {
        {"48x48", std::string("\0\0\0\x30\0\0\0\x30", 8)},
        {"64x64", std::string("\0\0\0\x40\0\0\0\x40", 8)},
        {"128x128", std::string("\0\0\0\x80\0\0\0\x80", 8)},
        {"256x256", std::string("\0\0\x01\0\0\0\x01\0", 8)},
    };
    for (const auto& [folder, sides] : icons) {
        const std::string icon = ReadFileText(Installed(
            std::string("share/icons/hicolor/") + folder + "/apps/org.example.korvel.Korvel.png"));
        EXPECT_EQ(icon.substr(0, 24), png + sides) << folder;
    }

    if (!OnPath("desktop-file-validate")) {
        GTEST_SKIP()
            << "desktop-file-validate is not installed (Debian package desktop-file-utils)";
    }
    const ToolRun run = RunTool({"desktop-file-validate", Installed(kDesktopEntry)});
    EXPECT_EQ(Outcome(run) + run.err, "0: ");  // not even a hint
}

TEST_F(Installation, MetainfoPassesItsValidatorOffline) {
    if (!KORVEL_WINDOW) {
        GTEST_SKIP() << kNoWindow;
    }
    const std::string metainfo = ReadFileText(Installed(kMetainfo));
    for (const char* element :
         {"<id>org.example.korvel.Korvel</id>",
          "<project_license>GPL-3.0-or-later</project_license>",
          "<launchable type=\"desktop-id\">org.example.korvel.Korvel.desktop</launchable>"}) {
        EXPECT_NE(metainfo.find(element), std::string::npos) << element;
    }

    if (!OnPath("appstreamcli")) {
        GTEST_SKIP() << "appstreamcli is not installed (Debian package appstream)";
    }
    const ToolRun run = RunTool({"appstreamcli", "validate", "--no-net", Installed(kMetainfo)});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    // Errors, warnings and infos are lines "E: ", "W: " and "I: "; only pedantic notes may stay.
    for (const char* mark : {"E: ", "W: ", "I: "}) {
        EXPECT_EQ(run.out.find(mark), std::string::npos) << run.out;
    }
}

}  // namespace korvel
