// Image files in raw, Intel HEX and S-record form: hand-checked records, malformed files, and
// files exchanged with srec_cat of Debian's srecord tools.
#include <gtest/gtest.h>

#include <cstdlib>

#include "image/ImageFormat.h"
#include "tests/support/BoardSession.h"

namespace korvel {

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FileOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::string TextOf(const Bytes& file) {
    return std::string(file.begin(), file.end());
}

std::string Encoded(ImageFormat format, const Bytes& image) {
    return TextOf(EncodeImage(format, image.data(), image.size()));
}

// The image a file decodes to; fails the test when it is refused.
Bytes Decoded(ImageFormat format, const std::string& text) {
    Bytes image;
    std::string error;
    EXPECT_TRUE(DecodeImage(format, FileOf(text), image, error)) << error;
    return image;
}

// Bytes 0x00, 0x01, ... up to size - 1.
Bytes Counting(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i);
    }
    return bytes;
}

// A malformed file and the error it must give.
struct Malformed {
    const char* text;
    const char* error;
};

void ExpectRefused(ImageFormat format, const std::vector<Malformed>& cases) {
    for (const Malformed& bad : cases) {
        const Bytes before = {0x12, 0x34};
        Bytes image = before;
        std::string error;
        EXPECT_FALSE(DecodeImage(format, FileOf(bad.text), image, error)) << bad.text;
        EXPECT_EQ(error, bad.error) << bad.text;
        EXPECT_EQ(image, before) << bad.text;
    }
}

TEST(ImageFormatChoice, ByNameOrByExtensionInAnyLetterCase) {
    ImageFormat format = ImageFormat::Raw;
    EXPECT_TRUE(ImageFormatByName("ihex", format));
    EXPECT_EQ(format, ImageFormat::IntelHex);
    EXPECT_TRUE(ImageFormatByName("SRec", format));
    EXPECT_EQ(format, ImageFormat::SRecord);
    EXPECT_TRUE(ImageFormatByName("RAW", format));
    EXPECT_EQ(format, ImageFormat::Raw);
    format = ImageFormat::SRecord;
    EXPECT_FALSE(ImageFormatByName("hex", format));
    EXPECT_FALSE(ImageFormatByName("", format));
    EXPECT_EQ(format, ImageFormat::SRecord);

    for (const char* path : {"chip.hex", "/a/b/CHIP.HEX", "x.ihex", "eeprom.Eep"}) {
        EXPECT_EQ(ImageFormatOfPath(path), ImageFormat::IntelHex) << path;
    }
    for (const char* path : {"chip.srec", "chip.S19", "dir/chip.mot"}) {
        EXPECT_EQ(ImageFormatOfPath(path), ImageFormat::SRecord) << path;
    }
    for (const char* path : {"chip.bin", "chip", "chip.hex.bin", "images.hex/chip", ".hex", ""}) {
        EXPECT_EQ(ImageFormatOfPath(path), ImageFormat::Raw) << path;
    }
}

TEST(RawImageFiles, AreTheBytesAtMostTheLargestChip) {
    EXPECT_EQ(Decoded(ImageFormat::Raw, ""), Bytes{});
    EXPECT_EQ(Decoded(ImageFormat::Raw, "\x01:S1\n"), FileOf("\x01:S1\n"));
    const Bytes longer = PatternImage(40000, 5);
    Bytes image;
    std::string error;
    EXPECT_TRUE(DecodeImage(ImageFormat::Raw, longer, image, error));
    EXPECT_EQ(image, Bytes(longer.begin(), longer.begin() + 32768));
    EXPECT_EQ(EncodeImage(ImageFormat::Raw, longer.data(), 300),
              Bytes(longer.begin(), longer.begin() + 300));
}

TEST(IntelHexFiles, AreWrittenAsSixteenByteRecordsAndTheEndRecord) {
    EXPECT_EQ(Encoded(ImageFormat::IntelHex, {}), ":00000001FF\n");
    EXPECT_EQ(Encoded(ImageFormat::IntelHex, Counting(20)),
              ":10000000000102030405060708090A0B0C0D0E0F78\n"
              ":0400100010111213A6\n"
              ":00000001FF\n");
    const std::string end = Encoded(ImageFormat::IntelHex, Bytes(32768, 0xAB));
    EXPECT_EQ(end.substr(end.size() - 56),
              ":107FF000ABABABABABABABABABABABABABABABABD1\n:00000001FF\n");
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
}

TEST(IntelHexFiles, AcceptAddressAndStartRecordsCrLfAndBlankLines) {
    EXPECT_EQ(Decoded(ImageFormat::IntelHex,
                      ":020000040000FA\r\n"
                      "\r\n"
                      ":020000020000FC\r\n"
                      ":0400000300000000F9\r\n"
                      ":04000005000000CD2A\r\n"
                      "\n"
                      ":0100000041BE\r\n"
                      ":00000001FF\r\n"
                      "\r\n"),
              Bytes{0x41});
    // Segment 0x0100 starts at address 0x1000.
    Bytes expected(0x1000, 0xFF);
    expected.push_back(0x41);
    EXPECT_EQ(Decoded(ImageFormat::IntelHex, ":020000020100FB\n:0100000041BE\n:00000001FF\n"),
              expected);
    // The last byte of the largest chip.
    EXPECT_EQ(Decoded(ImageFormat::IntelHex, ":017FFF004140\n:00000001FF\n").size(), 32768u);
}

TEST(IntelHexFiles, MalformedOnesAreRefusedNamingTheLineAndChangeNothing) {
    ExpectRefused(
        ImageFormat::IntelHex,
        {
            {":0100000041BE\n:0100010041BE\n:00000001FF\n", "line 2: bad checksum"},
            {":01000000G1BE\n:00000001FF\n", "line 1: bad hex digit"},
            {":0100000041BE \n:00000001FF\n", "line 1: bad hex digit"},
            {":0100000041B\n:00000001FF\n", "line 1: odd number of hex digits"},
            {":0200000041BD\n:00000001FF\n", "line 1: wrong record length"},
            {":00000001\n", "line 1: wrong record length"},
            {":0100000141BD\n", "line 1: wrong record length"},
            {":01000002FFFE\n:00000001FF\n", "line 1: wrong record length"},
            {"\r\n\n:01800000007F\n:00000001FF\n", "line 3: data beyond 32768 bytes"},
            {":027FFF0001027D\n:00000001FF\n", "line 1: data beyond 32768 bytes"},
            {":020000040001F9\n:0100000041BE\n:00000001FF\n", "line 2: data beyond 32768 bytes"},
            {"", "line 1: no end record"},
            {":0100000041BE\n", "line 2: no end record"},
            {":0100000041BE\n\n:0100000041BE\n:00000001FF\n", "line 3: overlaps an earlier record"},
            {":020000000102FB\n:0100010041BD\n:00000001FF\n", "line 2: overlaps an earlier record"},
            {":00000006FA\n:00000001FF\n", "line 1: unknown record type"},
            {":00000001FF\n\n:0100000041BE\n", "line 3: data after the end record"},
            {"0100000041BE\n:00000001FF\n", "line 1: not a record"},
            {"S104000041BA\nS9030000FC\n", "line 1: not a record"},
        });
}

TEST(SRecordFiles, AreWrittenAsSixteenByteS1RecordsAndS9) {
    EXPECT_EQ(Encoded(ImageFormat::SRecord, {}), "S9030000FC\n");
    EXPECT_EQ(Encoded(ImageFormat::SRecord, Counting(20)),
              "S1130000000102030405060708090A0B0C0D0E0F74\n"
              "S107001010111213A2\n"
              "S9030000FC\n");
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
    EXPECT_EQ(TextOf(Bytes(image.begin() + 56, image.end())), std::string("Hello world.\n\0", 14));

    Bytes expected(0x7AF0, 0xFF);
    expected.insert(expected.end(), {0x0A, 0x0A, 0x0D});
    expected.resize(0x7B00, 0x00);
    EXPECT_EQ(
        Decoded(ImageFormat::SRecord, "S1137AF00A0A0D0000000000000000000000000061\nS9030000FC"),
        expected);
}

TEST(SRecordFiles, AcceptS2AndS3AddressesThatFitAndEachEndRecord) {
    EXPECT_EQ(Decoded(ImageFormat::SRecord, "S2050000004BAF\r\nS804000000FB\r\n"), Bytes{0x4B});
    EXPECT_EQ(Decoded(ImageFormat::SRecord, "S3060000000041B8\n\nS5030001FB\nS70500000000FA\n"),
              Bytes{0x41});
    EXPECT_EQ(Decoded(ImageFormat::SRecord, "S604000000FB\nS9030000FC\n"), Bytes{});
}

TEST(SRecordFiles, MalformedOnesAreRefusedNamingTheLineAndChangeNothing) {
    ExpectRefused(
        ImageFormat::SRecord,
        {
            {"S104000041BA\nS104000141BB\nS9030000FC\n", "line 2: bad checksum"},
            {"S10400004GBA\nS9030000FC\n", "line 1: bad hex digit"},
            {"S104000041B\nS9030000FC\n", "line 1: odd number of hex digits"},
            {"S105000041BA\nS9030000FC\n", "line 1: wrong record length"},
            {"S10200FD\nS9030000FC\n", "line 1: wrong record length"},
            {"S9040000\n", "line 1: wrong record length"},
            {"S904000041BA\n", "line 1: wrong record length"},
            {"S1048000007B\nS9030000FC\n", "line 1: data beyond 32768 bytes"},
            {"S20501000000F9\nS9030000FC\n", "line 1: data beyond 32768 bytes"},
            {"S3080000800000000077\nS9030000FC\n", "line 1: data beyond 32768 bytes"},
            {"", "line 1: no end record"},
            // As srec_cat writes a binary image unless given a start address.
            {"S104000041BA\nS5030001FB\n", "line 3: no end record"},
            {"S104000041BA\nS2050000004BAF\nS9030000FC\n", "line 2: overlaps an earlier record"},
            {"S4030000FC\nS9030000FC\n", "line 1: unknown record type"},
            {"S\n", "line 1: unknown record type"},
            {"S9030000FC\nS104000041BA\n", "line 2: data after the end record"},
            {"S104000041BA\nS5030002FA\nS9030000FC\n", "line 2: wrong record count"},
            {":0100000041BE\n:00000001FF\n", "line 1: not a record"},
        });
}

// srec_cat run through the shell on files in a temporary directory.
class SrecCatExchange : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::system("command -v srec_cat >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "srec_cat (Debian package srecord) is not installed";
        }
    }
    // True when srec_cat ran and succeeded; its messages go to a file of their own.
    bool SrecCat(const std::string& arguments) {
        const std::string command =
            "cd '" + dir.path().string() + "' && srec_cat " + arguments + " 2>srec_cat.messages";
        return std::system(command.c_str()) == 0;
    }
    TempDir dir;
};

const std::size_t kSizes[] = {16, 333, 32768};

TEST_F(SrecCatExchange, ReadsKorvelsFilesBackByteExact) {
    for (const std::size_t size : kSizes) {
        const Bytes image = PatternImage(size, 7);
        WriteFileBytes(dir.File("chip.hex"),
                       EncodeImage(ImageFormat::IntelHex, image.data(), size));
        WriteFileBytes(dir.File("chip.srec"),
                       EncodeImage(ImageFormat::SRecord, image.data(), size));
        ASSERT_TRUE(SrecCat("chip.hex -Intel -o hex.bin -Binary")) << size;
        ASSERT_TRUE(SrecCat("chip.srec -Motorola -o srec.bin -Binary")) << size;
        EXPECT_EQ(ReadFileBytes(dir.File("hex.bin")), image) << size;
        EXPECT_EQ(ReadFileBytes(dir.File("srec.bin")), image) << size;
    }
}

TEST_F(SrecCatExchange, ItsFilesLoadByteExact) {
    // The output and the format Korvel reads it as: Intel HEX, and S1, S2 and S3 addresses.
    const std::pair<const char*, ImageFormat> outputs[] = {
        {"-Intel", ImageFormat::IntelHex},
        {"-Motorola -address-length=2 -execution-start-address=0", ImageFormat::SRecord},
        {"-Motorola -address-length=3 -execution-start-address=0", ImageFormat::SRecord},
        {"-Motorola -address-length=4 -execution-start-address=0", ImageFormat::SRecord},
    };
    for (const std::size_t size : kSizes) {
        const Bytes image = PatternImage(size, 8);
        WriteFileBytes(dir.File("chip.bin"), image);
        for (const auto& [output, format] : outputs) {
            ASSERT_TRUE(SrecCat("chip.bin -Binary -o chip.txt " + std::string(output)));
            Bytes loaded;
            std::string error;
            EXPECT_TRUE(DecodeImage(format, ReadFileBytes(dir.File("chip.txt")), loaded, error))
                << output << " " << size << ": " << error;
            EXPECT_EQ(loaded, image) << output << " " << size;
        }
    }
}

TEST_F(SrecCatExchange, ItsFilesWithGapsLoadErasedBetweenTheRecords) {
    ASSERT_TRUE(
        SrecCat("-generate 0x100 0x110 -constant 0x41 -generate 0x7FFE 0x8000 "
                "-constant 0x42 -o gaps.hex -Intel"));
    Bytes expected(0x7FFE, 0xFF);
    std::fill(expected.begin() + 0x100, expected.begin() + 0x110, 0x41);
    expected.insert(expected.end(), {0x42, 0x42});
    Bytes loaded;
    std::string error;
    EXPECT_TRUE(
        DecodeImage(ImageFormat::IntelHex, ReadFileBytes(dir.File("gaps.hex")), loaded, error))
        << error;
    EXPECT_EQ(loaded, expected);
}

}  // namespace

}  // namespace korvel
