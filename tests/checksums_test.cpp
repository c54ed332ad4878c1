// The CRC-32 and SHA-256 of an image, against the standards' check values and Python's zlib and
// hashlib.
#include <gtest/gtest.h>

#include <cstdlib>

#include "image/Crc32.h"
#include "image/Sha256.h"
#include "tests/support/BoardSession.h"

namespace korvel {

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes BytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::string Crc32HexOf(const Bytes& bytes) {
    return Crc32Hex(bytes.data(), bytes.size());
}

std::string Sha256HexOf(const Bytes& bytes) {
    return Sha256Hex(bytes.data(), bytes.size());
}

TEST(Checksums, Crc32GivesTheStandardCheckValues) {
    const Bytes check = BytesOf("123456789");
    EXPECT_EQ(Crc32(check.data(), check.size()), 0xCBF43926u);
    EXPECT_EQ(Crc32HexOf(check), "cbf43926");
    EXPECT_EQ(Crc32HexOf({}), "00000000");
    EXPECT_EQ(Crc32HexOf(BytesOf("The quick brown fox jumps over the lazy dog")), "414fa339");
}

TEST(Checksums, Sha256GivesTheStandardValues) {
    EXPECT_EQ(Sha256HexOf({}), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256HexOf(BytesOf("abc")),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the length no longer fits in the block, so the padding takes a second one.
    EXPECT_EQ(Sha256HexOf(BytesOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Sha256HexOf(BytesOf("123456789")),
              "15e2b0d3c33891ebb0f1ef609ec419420c20e320ce94c65fbc8c3312448eb225");
}

TEST(Checksums, OfAWhole24C256Image) {
    // Byte k is k % 251. The values were computed with Python 3:
    //   d = bytes(k % 251 for k in range(32768))
    //   '%08x' % zlib.crc32(d), hashlib.sha256(d).hexdigest()
    Bytes image(32768);
    for (std::size_t k = 0; k < image.size(); ++k) {
        image[k] = static_cast<std::uint8_t>(k % 251);
    }
    EXPECT_EQ(Crc32HexOf(image), "eeff4e7e");
    EXPECT_EQ(Sha256HexOf(image),
              "09fed9cbfb98b6ab0f3e8ff63b7b1f9b0e07d58b225295c78fdc023cc4985a72");
}

TEST(Checksums, AgreeWithPythonsZlibAndHashlibOnRealFiles) {
    if (std::system("command -v python3 >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "python3 is not installed";
    }
    TempDir dir;
    // Around each edge of SHA-256's 64-byte blocks and its 55-byte room for the length, and a
    // whole 24C256.
    for (const std::size_t size : {1, 55, 56, 63, 64, 65, 119, 120, 128, 32768}) {
        const Bytes image = PatternImage(size, 9);
        WriteFileBytes(dir.File("image.bin"), image);
        const std::string command =
            "python3 -c 'import sys, zlib, hashlib; d = open(sys.argv[1], \"rb\").read(); "
            "print(\"%08x %s\" % (zlib.crc32(d), hashlib.sha256(d).hexdigest()))' '" +
            dir.File("image.bin") + "' >'" + dir.File("sums") + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        EXPECT_EQ(ReadFileText(dir.File("sums")),
                  Crc32HexOf(image) + " " + Sha256HexOf(image) + "\n")
            << size;
    }
}

}  // namespace

}  // namespace korvel
