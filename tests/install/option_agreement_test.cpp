// The man pages and the bash completion name what the programs' --help names: the same options
// and the same operations, and the completion offers their values.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>

#include "tests/install/InstalledTree.h"
#include "tools/launch/SimulatorProcess.h"

namespace korvel {

namespace {

using Words = std::set<std::string>;

class Agreement : public InstalledTree {
  protected:
    static std::string Help(const std::string& program) {
        return RunTool({Installed("bin/" + program), "--help"}).out;
    }

    // A man page as plain text, on lines long enough that no option is broken.
    static std::string ManPage(const std::string& program) {
        return RunTool({"groff", "-man", "-Tascii", "-P-cbou", "-rLL=250n",
                        Installed("share/man/man1/" + program + ".1")})
            .out;
    }

    // What the installed completion offers for the last of `words`, a command line typed so far
    // (split as bash splits it: "--chip=2" is "--chip", "=", "2"), in `folder`.
    static Words Completion(const std::vector<std::string>& words,
                            const std::string& folder = "/") {
        const char* const script = R"(
            cd "$1" && source "$2" || exit 1
            registered=$(complete -p "$3") || exit 1
            function=${registered##*-F }
            function=${function%% *}
            shift 2
            COMP_WORDS=("$@")
            COMP_CWORD=$(($# - 1))
            "$function"
            printf '%s\n' "${COMPREPLY[@]}")";
        std::vector<std::string> command = {
            "bash",       "-c",   script,
            "completion", folder, Installed("share/bash-completion/completions/" + words.front())};
        command.insert(command.end(), words.begin(), words.end());
        const ToolRun run = RunTool(command);
        EXPECT_EQ(run.status, 0) << run.err;
        Words offered;
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty()) {
                offered.insert(line);
            }
        }
        return offered;
    }
};

// The lines of a text from the one that is `heading` up to the next line not indented at all.
std::string Section(const std::string& text, const std::string& heading) {
    std::istringstream lines(text);
    std::string section;
    bool inside = false;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line[0] != ' ') {
            inside = line == heading;
        } else if (inside) {
            section += line + "\n";
        }
    }
    return section;
}

// Every option named in a text: "-x" and "--long-name".
Words Options(const std::string& text) {
    static const std::regex option(R"((?:^|[^\w-])(--[A-Za-z][\w-]*|-[A-Za-z](?![\w-])))");
    Words options;
    for (std::sregex_iterator it(text.begin(), text.end(), option), end; it != end; ++it) {
        options.insert((*it)[1]);
    }
    return options;
}

// The first words of the lines of a text that are indented by exactly `indent` spaces.
Words Entries(const std::string& text, std::size_t indent) {
    const std::regex entry("^ {" + std::to_string(indent) + "}([a-z]+)\\b.*");
    Words words;
    std::istringstream lines(text);
    std::smatch match;
    for (std::string line; std::getline(lines, line);) {
        if (std::regex_match(line, match, entry)) {
            words.insert(match[1]);
        }
    }
    return words;
}

// korvel-cli --help lists the operations as "  word   what it does" below "Operations:".
Words HelpOperations(const std::string& help) {
    const std::size_t start = help.find("Operations:\n");
    const std::size_t end = help.find("\n\n", start);
    return Entries(help.substr(start, end - start), 2);
}

const Words kDevices = {"24C00", "24C01", "24C02", "24C04",  "24C08",
                        "24C16", "24C32", "24C64", "24C128", "24C256"};

}  // namespace

TEST_F(Agreement, ManPagesNameTheOptionsOfHelp) {
    if (!OnPath("groff")) {
        GTEST_SKIP() << "groff is not installed (Debian package groff-base)";
    }
    for (const std::string program : {"korvel-cli", "korvel-boardsim", "korvel"}) {
        if (!KORVEL_WINDOW && program == "korvel") {
            continue;
        }
        const Words help = Options(Help(program));
        EXPECT_FALSE(help.empty()) << program;
        EXPECT_EQ(Options(Section(ManPage(program), "OPTIONS")), help) << program;
    }
    // The man page's operations are its tags, indented by seven spaces.
    EXPECT_EQ(Entries(Section(ManPage("korvel-cli"), "OPERATIONS"), 7),
              HelpOperations(Help("korvel-cli")));
}

TEST_F(Agreement, CompletionOffersTheOptionsAndOperationsOfHelp) {
    for (const char* program : {"korvel-cli", "korvel-boardsim"}) {
        EXPECT_EQ(Completion({program, "-"}), Options(Help(program))) << program;
    }
    EXPECT_EQ(Completion({"korvel-cli", ""}), HelpOperations(Help("korvel-cli")));
    EXPECT_EQ(Completion({"korvel-cli", "--device", "24C00", "r"}), Words{"read"});
}

TEST_F(Agreement, CompletionOffersDevicesPortsAndFiles) {
    EXPECT_EQ(Completion({"korvel-cli", "--device", ""}), kDevices);
    EXPECT_EQ(Completion({"korvel-cli", "-d", "24c1"}), (Words{"24C16", "24C128"}));
    EXPECT_EQ(Completion({"korvel-boardsim", "--chip", "=", ""}), kDevices);
    EXPECT_EQ(Completion({"korvel-cli", "--port", ""}), (Words{"1", "2", "3", "4"}));

    TempDir dir;
    WriteFileBytes(dir.File("chip image.bin"), {0xFF});
    WriteFileBytes(dir.File("other.bin"), {0xFF});
    const std::string folder = dir.path().string();
    EXPECT_EQ(Completion({"korvel-cli", "--in", "ch"}, folder), Words{"chip image.bin"});
    EXPECT_EQ(Completion({"korvel-boardsim", "--image", "o"}, folder), Words{"other.bin"});
    EXPECT_EQ(Completion({"korvel-boardsim", "--delay-ms", ""}), Words{});
}

}  // namespace korvel
