// Open and Save on real files in a temporary directory, with scripted file dialogs.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "dialog/KorvelDlg.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/ScriptedFileDialog.h"
#include "tests/support/SimulatorProcess.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Styles: warning 0x30 = 48, overwrite question 0x14 = 20, error 0x10 = 16.
const std::string kReadOnly = "Error 16: Can't write to file.\nFile is read only ?";

Bytes Pattern(std::size_t count, unsigned seed) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * seed + seed / 2);
    }
    return bytes;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// A message box as one text, to compare in one go.
std::string Box(const RecordedBox& box) {
    return box.title + " " + std::to_string(box.style) + ": " + box.text;
}

fs::perms NewFilePermissions() {
    const mode_t mask = umask(0);
    umask(mask);
    return fs::perms(0666 & ~mask);
}

struct ImageFiles : ::testing::Test {
    ImageFiles() {
        dlg.m_FileDialog.Bind(&dialogs);
        dlg.filename = "[buffer]";
        dlg.eebuf.fill(0xFF);
        Select(2);
    }
    void Select(int type) {
        dlg.device = static_cast<std::int8_t>(type);
        dlg.eebufsize = kDevices[type].size;
    }
    std::string Make(const std::string& name, const Bytes& bytes) {
        WriteFileBytes(dir.File(name), bytes);
        return dir.File(name);
    }
    bool Loaded(const Bytes& bytes, std::size_t from = 0) const {
        return std::equal(bytes.begin(), bytes.end(), dlg.eebuf.begin() + from);
    }
    std::size_t Entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir.path()), {}));
    }

    TempDir dir;
    RecordingHost host;
    ScriptedFileDialog dialogs;
    CKorvelDlg dlg{host};
};

TEST_F(ImageFiles, CancelledOpenAndSaveChangeNothingAndEachSetsItsOwnFilter) {
    dlg.OnClickOpenbutton();
    dlg.OnClickSavebutton();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    ASSERT_EQ(dialogs.shown[0].filters.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].filters[0].patterns, std::vector<std::string>{"*.bin"});
    EXPECT_EQ(dialogs.shown[0].filters[1].patterns, std::vector<std::string>{"*"});
    ASSERT_EQ(dialogs.shown[1].filters.size(), 1u);
    EXPECT_EQ(dialogs.shown[1].filters[0].description, "Binary files (*.bin)");
    EXPECT_EQ(dlg.filename, "[buffer]");
    EXPECT_EQ(dlg.m_File, "File: [buffer]");
    EXPECT_EQ(dlg.m_Filesize, "Size: 256 bytes");
    EXPECT_TRUE(host.pushes.empty());
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(Entries(), 0u);
}

TEST_F(ImageFiles, OpenStoresFromTheStartAndShowsTheCountRead) {
    dialogs.answers = {Make("empty.bin", {})};
    dlg.OnClickOpenbutton();
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(host.Last().size, "Size: 0 bytes");
    EXPECT_EQ(host.Last().file, "File: " + Lower(dir.File("empty.bin")));
    EXPECT_EQ(dlg.eebuf[0], 0xFF);

    const Bytes shorter = Pattern(100, 3);
    dialogs.answers = {Make("short.bin", shorter)};
    dlg.OnClickOpenbutton();
    EXPECT_TRUE(Loaded(shorter));
    EXPECT_TRUE(Loaded(Bytes(kImageBufferSize - 100, 0xFF), 100));
    EXPECT_TRUE(host.boxes.empty());

    const Bytes longer = Pattern(300, 5);
    dialogs.answers = {Make("long.bin", longer)};
    dlg.OnClickOpenbutton();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(Box(host.boxes[0]),
              "Warning 48: File size is > EEPROM size !\nOnly the first 256 bytes will be used.");
    EXPECT_EQ(host.Last().size, "Size: 300 bytes");
    EXPECT_TRUE(Loaded(longer));
    EXPECT_EQ(dlg.eebufsize, 256);
}

TEST_F(ImageFiles, OpenReadsAtMostTheLargestDevice) {
    const Bytes big = Pattern(40000, 7);
    const std::string path = Make("big.bin", big);
    for (int type : {9, 2}) {
        Select(type);
        host.boxes.clear();
        dlg.eebuf.fill(0xFF);
        dialogs.answers = {path};
        dlg.OnClickOpenbutton();
        EXPECT_EQ(host.Last().size, "Size: 32768 bytes");
        EXPECT_TRUE(Loaded(Bytes(big.begin(), big.begin() + 32768)));
        EXPECT_EQ(dlg.eebuf[32768], 0xFF) << "the spare byte is never loaded";
        EXPECT_EQ(host.boxes.size(), type == 2 ? 1u : 0u);
    }
    EXPECT_NE(host.boxes[0].text.find("first 256 bytes"), std::string::npos);
}

TEST_F(ImageFiles, OpenShowsTheLowerCasedNameButOpensTheChosenFile) {
    fs::create_directory(dir.File("Images"));
    Make("Images/dump.bin", Pattern(16, 1));
    const Bytes chosen = Pattern(16, 9);
    // A long path is kept whole.
    const std::string path = Make("Images/Dump.BIN", chosen);
    const std::string deep = dir.File("Images/" + std::string(120, 'D') + ".Bin");
    fs::copy_file(path, deep);

    dialogs.answers = {path};
    dlg.OnClickOpenbutton();
    EXPECT_TRUE(Loaded(chosen));
    EXPECT_EQ(dlg.filename, Lower(path));
    EXPECT_EQ(dlg.m_File, "File: " + Lower(path));

    dialogs.answers = {deep};
    dlg.OnClickOpenbutton();
    EXPECT_GT(deep.size(), 80u);
    EXPECT_EQ(dlg.m_File, "File: " + Lower(deep));
}

TEST_F(ImageFiles, UnopenableFileShowsTheDialogAgainSilently) {
    const std::string missing = dir.File("Missing.bin");
    const Bytes image = Pattern(256, 11);
    dialogs.answers = {missing, Make("there.bin", image)};
    dlg.OnClickOpenbutton();
    EXPECT_EQ(dialogs.shown.size(), 2u);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_TRUE(Loaded(image));

    dialogs.answers = {missing};
    dlg.OnClickOpenbutton();
    EXPECT_EQ(dialogs.shown.size(), 4u);
    EXPECT_EQ(dlg.filename, Lower(missing));
    EXPECT_EQ(dlg.m_File, "File: " + Lower(dir.File("there.bin")));
}

TEST_F(ImageFiles, ReadErrorIsReportedNotTakenAsTheEnd) {
    // A directory opens for reading here, and every read from it fails.
    dialogs.answers = {dir.path().string()};
    dlg.OnClickOpenbutton();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(Box(host.boxes[0]), "Error 16: Can't read the whole file.\nRead error !");
    EXPECT_EQ(host.Last().size, "Size: 0 bytes");
}

TEST_F(ImageFiles, SaveWritesExactlyTheDeviceSize) {
    Select(0);
    dlg.eebuf[0] = 0x42;
    dialogs.answers = {dir.File("Tiny.BIN")};
    dlg.OnClickSavebutton();
    EXPECT_EQ(ReadFileBytes(dir.File("Tiny.BIN")),
              Bytes(dlg.eebuf.begin(), dlg.eebuf.begin() + 16));
    EXPECT_EQ(host.Last().size, "Size: 16 bytes");
    EXPECT_EQ(host.Last().file, "File: " + Lower(dir.File("Tiny.BIN")));
    EXPECT_EQ(dlg.eebufsize, 16);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(Entries(), 1u) << "no temporary file is left behind";
    EXPECT_EQ(fs::status(dir.File("Tiny.BIN")).permissions(), NewFilePermissions());
}

TEST_F(ImageFiles, OverwriteAskedFirstAndKeepsPermissionsAndLinks) {
    const std::string path = Make("old.bin", Pattern(16, 3));
    fs::permissions(path, fs::perms(0640));
    fs::create_symlink(path, dir.File("link.bin"));
    dlg.eebuf[5] = 0x55;
    dialogs.answers = {dir.File("link.bin")};
    dlg.OnClickSavebutton();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(Box(host.boxes[0]), "Warning 20: File exist. Overwrite ?");
    EXPECT_EQ(ReadFileBytes(path), Bytes(dlg.eebuf.begin(), dlg.eebuf.begin() + 256));
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
    EXPECT_TRUE(fs::is_symlink(dir.File("link.bin")));
}

TEST_F(ImageFiles, NoShowsTheDialogAgain) {
    const Bytes old = Pattern(16, 3);
    const std::string path = Make("old.bin", old);
    host.answers = {IDNO, IDNO};
    dialogs.answers = {path, dir.File("other.bin")};
    dlg.OnClickSavebutton();
    EXPECT_EQ(dialogs.shown.size(), 2u);
    EXPECT_TRUE(fs::exists(dir.File("other.bin")));

    dialogs.answers = {path};
    dlg.OnClickSavebutton();
    EXPECT_EQ(dialogs.shown.size(), 4u);
    EXPECT_EQ(dlg.filename, "");
    EXPECT_EQ(dlg.m_File, "File: " + Lower(dir.File("other.bin")));
    EXPECT_EQ(ReadFileBytes(path), old);
}

TEST_F(ImageFiles, ReadOnlyFileIsAskedAboutThenRefusedAndKept) {
    const Bytes old = Pattern(64, 3);
    const std::string path = Make("Locked.bin", old);
    fs::permissions(path, fs::perms(0444));
    dialogs.answers = {path};
    dlg.OnClickSavebutton();
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(Box(host.boxes[0]), "Warning 20: File exist. Overwrite ?");
    EXPECT_EQ(Box(host.boxes[1]), kReadOnly);
    EXPECT_EQ(ReadFileBytes(path), old);
    EXPECT_EQ(dlg.filename, Lower(path));
    EXPECT_TRUE(host.pushes.empty());
    EXPECT_EQ(Entries(), 1u);

    dialogs.answers = {dir.File("no-such-directory/new.bin")};
    dlg.OnClickSavebutton();
    EXPECT_EQ(Box(host.boxes.back()), kReadOnly);
}

TEST_F(ImageFiles, ReadOnlyDirectoryRefusesForAnOrdinaryUser) {
    const Bytes old = Pattern(64, 3);
    fs::create_directory(dir.File("in"));
    const std::string path = Make("in/old.bin", old);
    fs::permissions(dir.path(), fs::perms(0755));
    fs::permissions(dir.File("in"), fs::perms(0555));
    fs::permissions(path, fs::perms(0666));
    EXPECT_TRUE(PassesInChild([&] {
        if (geteuid() == 0 && setuid(65534) != 0) {
            return false;
        }
        dialogs.answers = {path, dir.File("in/new.bin")};
        dlg.OnClickSavebutton();
        dlg.OnClickSavebutton();
        return host.boxes.size() == 3 && Box(host.boxes[1]) == kReadOnly &&
               Box(host.boxes[2]) == kReadOnly;
    }));
    EXPECT_EQ(ReadFileBytes(path), old);
    EXPECT_FALSE(fs::exists(dir.File("in/new.bin")));
}

TEST_F(ImageFiles, FailedWriteIsReportedAndTheOldFileKept) {
    const Bytes old = Pattern(20000, 3);
    const std::string path = Make("old.bin", old);
    Select(9);
    EXPECT_TRUE(PassesInChild([&] {
        // The file system fills up after 1000 bytes.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1000, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &limit);
        dialogs.answers = {path, dir.File("new.bin")};
        dlg.OnClickSavebutton();
        dlg.OnClickSavebutton();
        return host.boxes.size() == 3 && host.pushes.empty() &&
               Box(host.boxes[1]) == "Error 16: Can't save the file.\nDisk full or write error !" &&
               Box(host.boxes[2]) == Box(host.boxes[1]);
    }));
    EXPECT_EQ(ReadFileBytes(path), old);
    EXPECT_EQ(Entries(), 1u);
}

}  // namespace
