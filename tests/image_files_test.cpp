// Open and Save on real files in a temporary directory, with scripted file dialogs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <numeric>
#include <thread>
#include <tuple>

#include "platform/AtomicFileWriter.h"
#include "platform/Signals.h"
#include "tests/support/BoardSession.h"
#include "tests/support/Bounded.h"
#include "tests/support/ScriptedUser.h"

namespace korvel {

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;

// Box styles: 48 a warning, 20 the overwrite question, 16 an error.
const std::string kTooLong =
    "Warning 48: File size is > EEPROM size !\nOnly the first 256 bytes will be used.";
const std::string kTooLongFor24C256 =
    "Warning 48: File size is > EEPROM size !\nOnly the first 32768 bytes will be used.";
const std::string kOverwrite = "Warning 20: File exist. Overwrite ?";
const std::string kReadOnly = "Error 16: Can't write to file.\nFile is read only ?";
const std::string kSaveFailed = "Error 16: Can't save the file.\nDisk full or write error !";

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), ::tolower);
    return text;
}

struct ImageFiles : ::testing::Test {
    ImageFiles() { Select(2); }
    void Select(int type) {
        dlg.OnSelchangeDeviceCombo(type);
        user.pushes.clear();
    }
    const ImageBuffer& Image() const { return dlg.Core().Image(); }
    const std::string& Name() const { return dlg.Core().ImageName(); }
    // Open and Save as the buttons run them, with the file the user chooses; the boxes they
    // showed.
    Texts Open(const std::string& path) {
        user.boxes.clear();
        user.paths = {path};
        dlg.OnClickOpenbutton();
        return user.boxes;
    }
    Texts Save(const std::string& path) {
        user.boxes.clear();
        user.paths = {path};
        dlg.OnClickSavebutton();
        return user.boxes;
    }
    std::string Make(const std::string& name, const Bytes& bytes) {
        WriteFileBytes(dir.File(name), bytes);
        return dir.File(name);
    }
    std::size_t Entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir.path()), {}));
    }

    TempDir dir;
    ScriptedUser user;
    CKorvelDlg dlg{user};
};

TEST_F(ImageFiles, CancelsChangeNothingAndAFileThatCannotBeOpenedIsAskedAgain) {
    dlg.OnClickOpenbutton();
    dlg.OnClickSavebutton();
    EXPECT_EQ(user.shown, (Texts{"open *.bin *.hex *.srec *", "save *.bin *.hex *.srec *"}));
    EXPECT_EQ(Name(), "[buffer]");
    EXPECT_TRUE(user.pushes.empty());
    EXPECT_EQ(Entries(), 0u);

    // Refused without a word, then the dialog is cancelled: the name stays behind.
    user.shown.clear();
    EXPECT_EQ(Open(dir.File("Missing.bin")), Texts{});
    EXPECT_EQ(user.shown, (Texts{"open *.bin *.hex *.srec *", "open *.bin *.hex *.srec *"}));
    EXPECT_EQ(Name(), Lower(dir.File("Missing.bin")));
    EXPECT_TRUE(user.pushes.empty());

    // A directory opens, but cannot be read.
    EXPECT_EQ(Open(dir.path().string()),
              Texts{"Error 16: Can't read the whole file.\nRead error !"});
}

TEST_F(ImageFiles, OpenLoadsTheChosenFileAtMostTheLargestDeviceAndShowsItLowerCased) {
    // On a case-sensitive file system the lower-cased name is another file.
    fs::create_directory(dir.File("Images"));
    Make("Images/image.bin", Bytes(16, 0x00));
    // The type, the file's size, the boxes and the size line of its Open.
    const std::tuple<int, std::size_t, Texts, const char*> cases[] = {
        {2, 0, {}, "Size: 0 bytes"},
        {2, 100, {}, "Size: 100 bytes"},
        {2, 300, {kTooLong}, "Size: 300 bytes"},
        {9, 40000, {kTooLongFor24C256}, "Size: 32768 bytes"},
        {2, 40000, {kTooLong}, "Size: 32768 bytes"},
    };
    for (const auto& [type, fileSize, boxes, sizeLine] : cases) {
        Select(type);
        dlg.Core().PutImage(0, Bytes(kImageBufferSize, 0xFF));
        const Bytes file = PatternImage(fileSize, 3);
        Open(Make("Images/Image.BIN", file));
        // The rest of the image, the byte beyond the largest device too, stays as it was.
        Bytes expected(kImageBufferSize, 0xFF);
        std::copy_n(file.begin(), std::min<std::size_t>(file.size(), 32768), expected.begin());
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), Image().begin())) << fileSize;
        EXPECT_EQ(user.boxes, boxes) << fileSize;
        EXPECT_EQ(user.Last().size, sizeLine);
        EXPECT_EQ(user.Last().file, "File: " + Lower(dir.File("Images/Image.BIN")));
    }
}

// A file that is no image leaves the image and its name as they were.
TEST_F(ImageFiles, RefusedImageChangesNothing) {
    Programmer programmer;
    ASSERT_EQ(programmer.LoadImage(Make("good.bin", Bytes(256, 0x11)), ImageFormat::Raw).result,
              LoadResult::Loaded);
    const std::string badChecksum = ":0100000041BF\n:00000001FF\n";
    const LoadOutcome bad = programmer.LoadImage(
        Make("bad.hex", Bytes(badChecksum.begin(), badChecksum.end())), ImageFormat::IntelHex);
    EXPECT_EQ(bad.result, LoadResult::NotAnImage);
    EXPECT_EQ(bad.problem, "line 1: bad checksum");
    EXPECT_EQ(programmer.ImageName(), Lower(dir.File("good.bin")));
    EXPECT_TRUE(std::all_of(programmer.Image().begin(), programmer.Image().begin() + 256,
                            [](std::uint8_t byte) { return byte == 0x11; }));
}

// Saved over an existing file, a 24C00's sixteen bytes replace it whole; it keeps its permissions
// and no temporary file is left beside it.
TEST_F(ImageFiles, SaveReplacesAFileWithTheDevicesBytesKeepingItsPermissions) {
    Select(0);
    dlg.Core().PutImage(0, {0x42});
    const std::string path = Make("Tiny.BIN", PatternImage(100));
    fs::permissions(path, fs::perms(0640));
    user.paths = {path};
    dlg.OnClickSavebutton();
    Bytes expected(16, 0xFF);
    expected[0] = 0x42;
    EXPECT_EQ(ReadFileBytes(path), expected);
    EXPECT_EQ(user.boxes, Texts{kOverwrite});
    EXPECT_EQ(user.Last().size, "Size: 16 bytes");
    EXPECT_EQ(user.Last().file, "File: " + Lower(path));
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(ImageFiles, ExistingFileIsKeptAfterNoAndWhenReadOnly) {
    const Bytes old = PatternImage(64, 3);
    const std::string path = Make("Locked.bin", old);
    fs::permissions(path, fs::perms(0444));
    user.answers = {IDNO};
    user.paths = {path};  // then a cancel
    dlg.OnClickSavebutton();
    EXPECT_EQ(user.shown,
              (Texts{"save *.bin *.hex *.srec *", kOverwrite, "save *.bin *.hex *.srec *"}));
    EXPECT_EQ(Name(), "");

    EXPECT_EQ(Save(dir.File("no/such/directory.bin")),
              Texts{kReadOnly + "\n" + dir.File("no") + ": No such file or directory"});
    EXPECT_EQ(Save(path), (Texts{kOverwrite, kReadOnly}));  // and Yes this time
    EXPECT_EQ(Name(), Lower(path));
    EXPECT_EQ(ReadFileBytes(path), old);
    EXPECT_TRUE(user.pushes.empty());
}

// A FIFO nobody writes to is given up after ten seconds of silence, with a box that says so;
// nothing but a regular file is saved over, and the box says what the file is.
TEST_F(ImageFiles, FifosAndDevicesNeverMakeOpenOrSaveWaitWithoutEnd) {
    ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
    EXPECT_TRUE(EndsWithin(20000, [&] {
        return Open(dir.File("pipe")) ==
               Texts{"Error 16: Can't read the whole file.\nNo data for 10 seconds !"};
    }));
    const std::pair<std::string, std::string> targets[] = {
        {dir.File("pipe"), dir.File("pipe") + ": not a regular file"},
        {"/dev/null", "/dev/null: not a regular file"},
        {dir.path().string(), dir.path().string() + ": Is a directory"},
    };
    for (const auto& [target, reason] : targets) {
        EXPECT_TRUE(EndsWithin(3000, [&] {
            return Save(target) == Texts{kOverwrite, kReadOnly + "\n" + reason};
        })) << target;
    }
}

// A FIFO is read to its end, however late its writer comes and however long it pauses.
TEST_F(ImageFiles, AFifoIsReadToItsEndWhenItsWriterComesLate) {
    ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        // Without waiting for a reader: one that has already given up leaves nothing to wait for.
        const int fifo = open(dir.File("pipe").c_str(), O_WRONLY | O_NONBLOCK);
        if (fifo >= 0) {
            EXPECT_EQ(write(fifo, std::string(100, 'a').data(), 100), 100);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            EXPECT_EQ(write(fifo, std::string(56, 'b').data(), 56), 56);
            close(fifo);
        }
    });
    EXPECT_EQ(Open(dir.File("pipe")), Texts{});
    writer.join();
    EXPECT_EQ(user.Last().size, "Size: 156 bytes");
    EXPECT_TRUE(user.boxes.empty());
}

// Between its records a HEX or S-record file holds erased bytes, whatever image was there before.
TEST_F(ImageFiles, ARecordFileOpenedOverAnImageLeavesItsGapsErased) {
    const std::pair<ImageFormat, std::string> files[] = {
        {ImageFormat::IntelHex, ":10000000000102030405060708090A0B0C0D0E0F78\n:00000001FF\n"},
        {ImageFormat::SRecord, "S1130000000102030405060708090A0B0C0D0E0F74\n"},
    };
    for (const auto& [format, text] : files) {
        Programmer programmer;
        ASSERT_EQ(programmer.LoadImage(Make("old.bin", Bytes(256, 0x11)), ImageFormat::Raw).result,
                  LoadResult::Loaded);
        ASSERT_EQ(
            programmer.LoadImage(Make("new.txt", Bytes(text.begin(), text.end())), format).result,
            LoadResult::Loaded);
        ASSERT_EQ(programmer.SaveImage(dir.File("saved.bin"), ImageFormat::Raw).result,
                  SaveResult::Saved);
        Bytes expected(256, 0xFF);
        std::iota(expected.begin(), expected.begin() + 16, 0);
        EXPECT_EQ(ReadFileBytes(dir.File("saved.bin")), expected) << text;
    }
}

// Names up to the file system's 255 bytes save like any other, and leave nothing beside them.
TEST_F(ImageFiles, LongestNamesSave) {
    for (const std::size_t length : {241u, 250u, 255u}) {
        const std::string path = dir.File(std::string(length - 4, 'n') + ".bin");
        EXPECT_EQ(Save(path), Texts{}) << length;
        EXPECT_EQ(ReadFileBytes(path), Bytes(256, 0xFF)) << length;
        fs::remove(path);
    }
    EXPECT_TRUE(user.boxes.empty());
    EXPECT_EQ(Entries(), 0u);
}

// A program ended in the middle of a save takes its temporary file with it.
TEST_F(ImageFiles, TerminationDuringASaveLeavesNoTemporaryFile) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t child = fork();
        if (child == 0) {
            InstallSignalHandling();
            AtomicFileWriter out;
            std::string reason;
            out.Open(dir.File("image.bin"), reason);
            out.Write("half", 4);
            raise(signal);
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
        EXPECT_EQ(Entries(), 0u) << signal;
    }
}

TEST_F(ImageFiles, FailedSaveIsReportedAndTheOldFileKept) {
    const Bytes old = PatternImage(20000, 3);
    const std::string path = Make("old.bin", old);
    Select(9);
    // In a copy of the test, whose files may grow to 1000 bytes only.
    EXPECT_TRUE(EndsWithin(10000, [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1000, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &limit);
        return Save(path) == Texts{kOverwrite, kSaveFailed} && user.pushes.empty();
    }));
    EXPECT_EQ(ReadFileBytes(path), old);
    EXPECT_EQ(Entries(), 1u);
}

}  // namespace

}  // namespace korvel
