// Save and the listing in a directory that every user may write to, such as /tmp, with files and
// links planted there by another user (uid 65534, nobody): korvel-cli as root must neither hand
// that user a set-user-ID program of root's nor write where that user's links point.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/BoardSession.h"
#include "tests/support/ToolRun.h"

namespace korvel {

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr uid_t kOtherUser = 65534;

// A sticky directory that everyone may write to, "shared", beside the image "image.bin" (a
// 24C02's 256 bytes) and the directory "victim" that holds "file" ("keep"); another user's files
// and links are planted in "shared".
struct SharedDirectory : ::testing::Test {
    void SetUp() override {
        if (geteuid() != 0) {
            GTEST_SKIP() << "planting another user's files needs root";
        }
        fs::create_directory(Shared());
        chmod(Shared().c_str(), 01777);
        fs::create_directory(dir.File("victim"));
        WriteFileBytes(Victim(), {'k', 'e', 'e', 'p'});
        WriteFileBytes(dir.File("image.bin"), image);
    }
    std::string Shared(const std::string& name = "") const {
        return dir.File(name.empty() ? "shared" : "shared/" + name);
    }
    std::string Victim() const { return dir.File("victim/file"); }
    // A file of the other user's, with a mode that chown would otherwise clear.
    void PlantFile(const std::string& path, mode_t mode) const {
        WriteFileBytes(path, {'#', '!'});
        ASSERT_EQ(chown(path.c_str(), kOtherUser, kOtherUser), 0);
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
    }
    void PlantLink(const std::string& target, const std::string& path, uid_t owner) const {
        fs::create_symlink(target, path);
        ASSERT_EQ(lchown(path.c_str(), owner, owner), 0);
    }
    // korvel-cli saving the image under `out`; no board is needed for it.
    ToolRun Save(const std::string& out) const {
        return Cli({"--in", dir.File("image.bin"), "--out", out, "sum"});
    }

    TempDir dir;
    const Bytes image = PatternImage(256, 4);
};

TEST_F(SharedDirectory, SaveOverAnotherUsersSetUserIdFileKeepsNoSetUserIdBit) {
    PlantFile(Shared("v.bin"), 04755);
    EXPECT_EQ(Save(Shared("v.bin")).status, 0);
    struct stat saved {};
    ASSERT_EQ(stat(Shared("v.bin").c_str(), &saved), 0);
    EXPECT_EQ(saved.st_mode & 07777, 0755u);
    EXPECT_EQ(saved.st_uid, 0u);
    EXPECT_EQ(ReadFileBytes(Shared("v.bin")), image);
}

TEST_F(SharedDirectory, ListingOverAPlantedFileKeepsNoSpecialBits) {
    PlantFile(Shared("BUFFER.TXT"), 07775);
    setenv("TEMP", Shared().c_str(), 1);
    const ToolRun run = Cli({"list"});
    unsetenv("TEMP");
    EXPECT_EQ(Outcome(run), "0: " + Shared("BUFFER.TXT") + "\n");
    struct stat listing {};
    ASSERT_EQ(stat(Shared("BUFFER.TXT").c_str(), &listing), 0);
    EXPECT_EQ(listing.st_mode & 07777, 0775u);
}

// The kernel's rule for links in a sticky directory that everyone may write to, kept whether the
// machine has fs.protected_symlinks on or not.
TEST_F(SharedDirectory, SaveFollowsALinkThereOnlyWhereTheKernelWould) {
    const std::string refused = "1: Error: Can't write to file. File is read only ? " +
                                Shared("dump.bin") +
                                ": another user's symbolic link in a shared directory, not "
                                "followed\n";
    PlantLink(Victim(), Shared("dump.bin"), kOtherUser);
    EXPECT_EQ(Outcome(Save(Shared("dump.bin"))), refused);
    EXPECT_EQ(ReadFileText(Victim()), "keep");
    EXPECT_TRUE(fs::is_symlink(Shared("dump.bin")));

    // The caller's own link is followed, and so is the directory owner's.
    fs::remove(Shared("dump.bin"));
    PlantLink(Victim(), Shared("dump.bin"), 0);
    EXPECT_EQ(Save(Shared("dump.bin")).status, 0);
    EXPECT_EQ(ReadFileBytes(Victim()), image);
    EXPECT_TRUE(fs::is_symlink(Shared("dump.bin")));

    ASSERT_EQ(chown(Shared().c_str(), kOtherUser, kOtherUser), 0);
    fs::remove(Shared("dump.bin"));
    WriteFileBytes(Victim(), {'k', 'e', 'e', 'p'});
    PlantLink(Victim(), Shared("dump.bin"), kOtherUser);
    EXPECT_EQ(Save(Shared("dump.bin")).status, 0);
    EXPECT_EQ(ReadFileBytes(Victim()), image);
}

// A link on the way to the file, for Save and for the listing's directory alike.
TEST_F(SharedDirectory, NeitherSaveNorTheListingPassesAnotherUsersLinkToADirectory) {
    PlantLink(dir.File("victim"), Shared("images"), kOtherUser);
    const std::string reason =
        Shared("images") + ": another user's symbolic link in a shared directory, not followed\n";
    EXPECT_EQ(Outcome(Save(Shared("images/chip.bin"))),
              "1: Error: Can't write to file. File is read only ? " + reason);
    setenv("TEMP", Shared("images").c_str(), 1);
    const ToolRun run = Cli({"list"});
    unsetenv("TEMP");
    EXPECT_EQ(Outcome(run), "1: Error: Can't write the file " + reason);
    EXPECT_EQ(fs::directory_iterator(dir.File("victim"))->path(), Victim());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.File("victim")), {}), 1);
}

}  // namespace

}  // namespace korvel
