// Image files in raw, Intel HEX and S-record form: hand-checked records, malformed files, and
// files exchanged with srec_cat of Debian's srecord tools; the CRC-32 and SHA-256 of an image,
// against the standards' check values and Python's zlib and hashlib.
#include <gtest/gtest.h>

#include <numeric>
#include <tuple>

#include "image/Crc32.h"
#include "image/ImageFormat.h"
#include "image/Sha256.h"
#include "tests/support/BoardSession.h"
#include "tests/support/ToolRun.h"

namespace korvel {

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FileOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::string Encoded(ImageFormat format, const Bytes& image) {
    const Bytes file = EncodeImage(format, image.data(), image.size());
    return std::string(file.begin(), file.end());
}

// The image a file decodes to; fails the test when it is refused.
Bytes Decoded(ImageFormat format, const std::string& text) {
    Bytes image;
    std::string error;
    EXPECT_TRUE(DecodeImage(format, FileOf(text), image, error)) << error;
    return image;
}

// Malformed files and the errors they must give; none changes the image.
void ExpectRefused(ImageFormat format,
                   const std::vector<std::pair<const char*, const char*>>& cases) {
    for (const auto& [text, expected] : cases) {
        Bytes image = {0x12, 0x34};
        std::string error;
        EXPECT_FALSE(DecodeImage(format, FileOf(text), image, error)) << text;
        EXPECT_EQ(error, expected) << text;
        EXPECT_EQ(image, (Bytes{0x12, 0x34})) << text;
    }
}

TEST(ImageFormatChoice, ByNameOrByExtensionInAnyLetterCase) {
    ImageFormat format = ImageFormat::Raw;
    EXPECT_TRUE(ImageFormatByName("SRec", format) && format == ImageFormat::SRecord);
    EXPECT_TRUE(ImageFormatByName("ihex", format) && format == ImageFormat::IntelHex);
    EXPECT_TRUE(ImageFormatByName("RAW", format) && format == ImageFormat::Raw);
    EXPECT_FALSE(ImageFormatByName("hex", format));
    const std::pair<ImageFormat, std::vector<const char*>> formats[] = {
        {ImageFormat::IntelHex, {"chip.hex", "/a/b/CHIP.HEX", "x.ihex", "eeprom.Eep"}},
        {ImageFormat::SRecord, {"chip.srec", "chip.S19", "dir/chip.mot"}},
        {ImageFormat::Raw, {"chip.bin", "chip", "chip.hex.bin", "images.hex/chip", ".hex", ""}},
    };
    for (const auto& [expected, paths] : formats) {
        for (const char* path : paths) {
            EXPECT_EQ(ImageFormatOfPath(path), expected) << path;
        }
    }
}

TEST(RawImageFiles, AreTheBytesAtMostTheLargestChip) {
    EXPECT_EQ(Decoded(ImageFormat::Raw, ""), Bytes{});
    EXPECT_EQ(Decoded(ImageFormat::Raw, "\x01:S1\n"), FileOf("\x01:S1\n"));
    const Bytes longer = PatternImage(40000, 5);
    EXPECT_EQ(Decoded(ImageFormat::Raw, std::string(longer.begin(), longer.end())),
              Bytes(longer.begin(), longer.begin() + 32768));
    EXPECT_EQ(EncodeImage(ImageFormat::Raw, longer.data(), 300),
              Bytes(longer.begin(), longer.begin() + 300));
}

TEST(RecordFiles, AreWrittenAsSixteenByteRecordsAndTheEndRecordSRecordsWithAHeader) {
    Bytes counting(20);
    std::iota(counting.begin(), counting.end(), 0);
    EXPECT_EQ(Encoded(ImageFormat::IntelHex, {}), ":00000001FF\n");
    EXPECT_EQ(Encoded(ImageFormat::IntelHex, counting),
              ":10000000000102030405060708090A0B0C0D0E0F78\n"
              ":0400100010111213A6\n"
              ":00000001FF\n");
    const std::string end = Encoded(ImageFormat::IntelHex, Bytes(32768, 0xAB));
    EXPECT_EQ(end.substr(end.size() - 56),
              ":107FF000ABABABABABABABABABABABABABABABABD1\n:00000001FF\n");
    EXPECT_EQ(Encoded(ImageFormat::SRecord, {}), "S0030000FC\nS9030000FC\n");
    EXPECT_EQ(Encoded(ImageFormat::SRecord, counting),
              "S0030000FC\n"
              "S1130000000102030405060708090A0B0C0D0E0F74\n"
              "S107001010111213A2\n"
              "S9030000FC\n");
}

TEST(IntelHexFiles, ReadHandCheckedRecordsWithTheGapsErased) {
    Bytes expected(0x100, 0xFF);
    expected.insert(expected.end(), {0x21, 0x46, 0x01, 0x36, 0x01, 0x21, 0x47, 0x01, 0x36, 0x00,
                                     0x7E, 0xFE, 0x09, 0xD2, 0x19, 0x01});
    EXPECT_EQ(Decoded(ImageFormat::IntelHex,
                      ":10010000214601360121470136007EFE09D2190140\n:00000001FF\n"),
              expected);
    // Lower-case digits, records out of order, no line end after the last.
    EXPECT_EQ(Decoded(ImageFormat::IntelHex, ":0100020043ba\n:0100000041BE\n:00000001ff"),
              (Bytes{0x41, 0xFF, 0x43}));
    EXPECT_EQ(Decoded(ImageFormat::IntelHex, ":00000001FF\n"), Bytes{});
    // Address and start records, CR LF and blank lines.
    EXPECT_EQ(Decoded(ImageFormat::IntelHex,
                      ":020000040000FA\r\n\r\n:020000020000FC\r\n:0400000300000000F9\r\n"
                      ":04000005000000CD2A\r\n\n:0100000041BE\r\n:00000001FF\r\n\r\n"),
              Bytes{0x41});
    // Segment 0x0100 starts at address 0x1000.
    expected.assign(0x1000, 0xFF);
    expected.push_back(0x41);
    EXPECT_EQ(Decoded(ImageFormat::IntelHex, ":020000020100FB\n:0100000041BE\n:00000001FF\n"),
              expected);
    // The last byte of the largest chip.
    EXPECT_EQ(Decoded(ImageFormat::IntelHex, ":017FFF004140\n:00000001FF\n").size(), 32768u);
}

// One file for each error and each place in the reader that gives it; the errors of the parts both
// readers share (hex digits, placing the data, the end record) once for both.
TEST(IntelHexFiles, MalformedOnesAreRefusedNamingTheLineAndChangeNothing) {
    ExpectRefused(
        ImageFormat::IntelHex,
        {
            {":0100000041BE\n:0100010041BE\n:00000001FF\n", "line 2: bad checksum"},
            {":0100000041BE \n:00000001FF\n", "line 1: bad hex digit"},
            {":0100000041B\n:00000001FF\n", "line 1: odd number of hex digits"},
            {":0200000041BD\n:00000001FF\n", "line 1: wrong record length"},
            {":0100000141BD\n", "line 1: wrong record length"},
            {":01000002FFFE\n:00000001FF\n", "line 1: wrong record length"},
            {"\r\n\n:027FFF0001027D\n:00000001FF\n", "line 3: data beyond 32768 bytes"},
            {":020000040001F9\n:0100000041BE\n:00000001FF\n", "line 2: data beyond 32768 bytes"},
            {":020000000102FB\n:0100010041BD\n:00000001FF\n", "line 2: overlaps an earlier record"},
            {":00000006FA\n:00000001FF\n", "line 1: unknown record type"},
            {":00000001FF\n\n:0100000041BE\n", "line 3: data after the end record"},
            {":0100000041BE\n", "line 2: no end record"},
            {":0100000041BE\r:00000001FF\x1A\n", "line 2: bad hex digit"},
            {"S104000041BA\nS9030000FC\n", "line 1: not a record"},
        });
}

TEST(SRecordFiles, ReadHandCheckedRecordsWithTheGapsErased) {
    // A header, three S1 records, their count and the end.
    const Bytes image =
        Decoded(ImageFormat::SRecord,
                "S00F000068656C6C6F202020202000003C\n"
                "S11F00007C0802A6900100049421FFF07C6C1B787C8C23783C6000003863000026\n"
                "S11F001C4BFFFFE5398000007D83637880010014382100107C0803A64E800020E9\n"
                "S111003848656C6C6F20776F726C642E0A0042\n"
                "S5030003F9\n"
                "S9030000FC\n");
    ASSERT_EQ(image.size(), 70u);
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 4), (Bytes{0x7C, 0x08, 0x02, 0xA6}));
    EXPECT_EQ(Bytes(image.begin() + 56, image.end()), FileOf(std::string("Hello world.\n\0", 14)));

    Bytes expected(0x7AF0, 0xFF);
    expected.insert(expected.end(), {0x0A, 0x0A, 0x0D});
    expected.resize(0x7B00, 0x00);
    EXPECT_EQ(
        Decoded(ImageFormat::SRecord, "S1137AF00A0A0D0000000000000000000000000061\nS9030000FC"),
        expected);
    // S2 and S3 addresses that fit, and each end record.
    EXPECT_EQ(Decoded(ImageFormat::SRecord, "S2050000004BAF\r\nS804000000FB\r\n"), Bytes{0x4B});
    EXPECT_EQ(Decoded(ImageFormat::SRecord, "S3060000000041B8\n\nS5030001FB\nS70500000000FA\n"),
              Bytes{0x41});
    EXPECT_EQ(Decoded(ImageFormat::SRecord, "S604000000FB\nS9030000FC\n"), Bytes{});
    // No end record, as srec_cat writes a binary image unless given a start address.
    EXPECT_EQ(Decoded(ImageFormat::SRecord, "S104000041BA\nS5030001FB\n"), Bytes{0x41});
    EXPECT_EQ(Decoded(ImageFormat::SRecord, "S104000041BA"), Bytes{0x41});
}

TEST(SRecordFiles, MalformedOnesAreRefusedNamingTheLineAndChangeNothing) {
    ExpectRefused(ImageFormat::SRecord,
                  {
                      {"S104000041BA\nS104000141BB\nS9030000FC\n", "line 2: bad checksum"},
                      {"S105000041BA\nS9030000FC\n", "line 1: wrong record length"},
                      {"S10200FD\nS9030000FC\n", "line 1: wrong record length"},
                      {"S904000041BA\n", "line 1: wrong record length"},
                      {"S3080000800000000077\nS9030000FC\n", "line 1: data beyond 32768 bytes"},
                      {"S4030000FC\nS9030000FC\n", "line 1: unknown record type"},
                      {"S104000041BA\nS5030002FA\nS9030000FC\n", "line 2: wrong record count"},
                      {"S104000041BA\nS5030002FA\n", "line 2: wrong record count"},
                      {":0100000041BE\n:00000001FF\n", "line 1: not a record"},
                  });
}

// srec_cat with these arguments; its warnings go to standard error.
ToolRun SrecCat(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "srec_cat");
    return RunTool(arguments);
}

std::string Replaced(std::string text, char from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
        text.replace(at, 1, to);
        at += to.size();
    }
    return text;
}

// Files go both ways byte exact: srec_cat reads what Korvel writes without a warning, and Korvel
// reads what srec_cat writes, Intel HEX and S-records: by default with a count record and no end
// record, or with S1, S2 and S3 addresses and the end record of each.
TEST(SrecCatExchange, FilesGoBothWaysByteExact) {
    if (!OnPath("srec_cat")) {
        GTEST_SKIP() << "srec_cat (Debian package srecord) is not installed";
    }
    TempDir dir;
    const std::string chip = dir.File("chip.bin"), korvel = dir.File("korvel.txt"),
                      its = dir.File("its.txt"), back = dir.File("back.bin");
    // Each format, srec_cat's name for it, and how srec_cat is to write it.
    const std::tuple<ImageFormat, const char*, std::vector<std::string>> formats[] = {
        {ImageFormat::IntelHex, "-Intel", {}},
        {ImageFormat::SRecord, "-Motorola", {}},
        {ImageFormat::SRecord, "-Motorola", {"-address-length=2", "-execution-start-address=0"}},
        {ImageFormat::SRecord, "-Motorola", {"-address-length=3", "-execution-start-address=0"}},
        {ImageFormat::SRecord, "-Motorola", {"-address-length=4", "-execution-start-address=0"}},
    };
    for (const std::size_t size : {16, 333, 32768}) {
        const Bytes image = PatternImage(size, 7);
        WriteFileBytes(chip, image);
        for (const auto& [format, name, writing] : formats) {
            WriteFileBytes(korvel, EncodeImage(format, image.data(), size));
            const ToolRun read = SrecCat({korvel, name, "-o", back, "-Binary"});
            EXPECT_EQ(Outcome(read) + read.err, "0: ") << name;
            std::vector<std::string> write = {chip, "-Binary", "-o", its, name};
            write.insert(write.end(), writing.begin(), writing.end());
            ASSERT_EQ(SrecCat(write).status, 0);
            EXPECT_EQ(ReadFileBytes(back), image) << name << size;
            EXPECT_EQ(Decoded(format, ReadFileText(its)), image) << name << writing.size() << size;
        }
    }
}

// srec_cat's files as other tools pass them on: a UTF-8 byte-order mark before the first record,
// a DOS ^Z after the last, CR LF or CR alone at the ends of lines. Each loads as srec_cat loads
// it; srec_cat 1.64 refuses CR alone, which Korvel reads all the same, as it is unambiguous.
TEST(SrecCatExchange, OtherToolsQuirksLoadAsSrecCatLoadsThem) {
    if (!OnPath("srec_cat")) {
        GTEST_SKIP() << "srec_cat (Debian package srecord) is not installed";
    }
    TempDir dir;
    const std::string chip = dir.File("chip.bin"), its = dir.File("its.txt"),
                      quirky = dir.File("quirky.txt"), back = dir.File("back.bin");
    const Bytes image = PatternImage(100, 3);
    WriteFileBytes(chip, image);
    for (const auto& [format, name] : {std::pair(ImageFormat::IntelHex, "-Intel"),
                                       std::pair(ImageFormat::SRecord, "-Motorola")}) {
        ASSERT_EQ(SrecCat({chip, "-Binary", "-o", its, name}).status, 0);
        const std::string text = ReadFileText(its);
        // Each variant of the file, and whether srec_cat reads it.
        const std::pair<std::string, bool> variants[] = {
            {"\xEF\xBB\xBF" + text, true},
            {text + "\x1A", true},
            {Replaced(text, '\n', "\r\n") + "\x1A\r\n\x1A", true},
            {Replaced(text, '\n', "\r"), false},
        };
        for (const auto& [variant, srecCatReads] : variants) {
            EXPECT_EQ(Decoded(format, variant), image) << variant;
            WriteFileBytes(quirky, FileOf(variant));
            EXPECT_EQ(SrecCat({quirky, name, "-o", back, "-Binary"}).status == 0, srecCatReads);
            if (srecCatReads) {
                EXPECT_EQ(ReadFileBytes(back), image) << variant;
            }
        }
    }
}

// "crc sha" of the bytes, in lower-case hex, as Python prints them.
std::string Sums(const Bytes& bytes) {
    return Crc32Hex(bytes.data(), bytes.size()) + " " + Sha256Hex(bytes.data(), bytes.size());
}

// The standards' check values; 55 bytes, whose padding and length just fit in SHA-256's block,
// and 56, whose length no longer does (the padding takes a second one); and a whole 24C256 whose
// byte k is k % 251. Where no standard gives them, the sums were computed by Python 3:
//   d = bytes(k % 251 for k in range(32768))
//   '%08x' % zlib.crc32(d), hashlib.sha256(d).hexdigest()
TEST(Checksums, GiveTheStandardCheckValuesAndPythonsForAWhole24C256) {
    EXPECT_EQ(Crc32(reinterpret_cast<const std::uint8_t*>("123456789"), 9), 0xCBF43926u);
    const std::pair<const char*, const char*> sums[] = {
        {"123456789", "cbf43926 15e2b0d3c33891ebb0f1ef609ec419420c20e320ce94c65fbc8c3312448eb225"},
        {"", "00000000 e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "352441c2 ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",
         "aadfe34e 9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "171a3f5f 248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    };
    for (const auto& [text, expected] : sums) {
        EXPECT_EQ(Sums(FileOf(text)), expected) << text;
    }
    Bytes image(32768);
    for (std::size_t k = 0; k < image.size(); ++k) {
        image[k] = static_cast<std::uint8_t>(k % 251);
    }
    EXPECT_EQ(Sums(image),
              "eeff4e7e 09fed9cbfb98b6ab0f3e8ff63b7b1f9b0e07d58b225295c78fdc023cc4985a72");
}

}  // namespace

}  // namespace korvel
