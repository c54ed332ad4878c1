#include "image/IntelHex.h"

#include <algorithm>

#include "image/HexText.h"
#include "image/RecordText.h"

namespace korvel {
namespace {

enum RecordType : std::uint8_t {
    kData = 0x00,
    kEndOfFile = 0x01,
    kSegmentAddress = 0x02,
    kSegmentStart = 0x03,
    kLinearAddress = 0x04,
    kLinearStart = 0x05,
};

// A line ":LLAAAATT" + data + "CC": data length, address offset, type, the data, checksum.
struct Record {
    std::uint16_t offset;
    std::uint8_t type;
    std::vector<std::uint8_t> data;
};

bool ParseRecord(const std::string& line, Record& record, std::string& problem) {
    std::vector<std::uint8_t> bytes;
    if (line[0] != ':') {
        problem = "not a record";
        return false;
    }
    if (!ParseHexPairs(line, 1, bytes, problem)) {
        return false;
    }
    if (bytes.size() < 5 || bytes.size() != 5u + bytes[0]) {
        problem = "wrong record length";
        return false;
    }
    if (ByteSum(bytes) != 0) {
        problem = "bad checksum";
        return false;
    }
    record.offset = static_cast<std::uint16_t>(bytes[1] << 8 | bytes[2]);
    record.type = bytes[3];
    record.data.assign(bytes.begin() + 4, bytes.end() - 1);
    return true;
}

bool HasLength(const Record& record, std::size_t length, std::string& problem) {
    if (record.data.size() != length) {
        problem = "wrong record length";
        return false;
    }
    return true;
}

// An extended address record: its two bytes, shifted, are added to the later records' offsets.
bool SetBase(const Record& record, int shift, std::uint64_t& base, std::string& problem) {
    if (!HasLength(record, 2, problem)) {
        return false;
    }
    base = static_cast<std::uint64_t>(record.data[0] << 8 | record.data[1]) << shift;
    return true;
}

// Reads one record; `base` is the address the extended address records set.
bool ReadRecord(const std::string& line, std::uint64_t& base, ImageAssembler& image, bool& end,
                std::string& problem) {
    Record record;
    if (!ParseRecord(line, record, problem)) {
        return false;
    }
    switch (record.type) {
        case kData:
            return image.Place(base + record.offset, record.data.data(), record.data.size(),
                               problem);
        case kEndOfFile:
            end = true;
            return HasLength(record, 0, problem);
        case kSegmentAddress:
            return SetBase(record, 4, base, problem);
        case kLinearAddress:
            return SetBase(record, 16, base, problem);
        case kSegmentStart:
        case kLinearStart:
            return HasLength(record, 4, problem);
        default:
            problem = "unknown record type";
            return false;
    }
}

// A record's bytes with the checksum that makes them add up to 0.
void AppendRecord(std::vector<std::uint8_t>& file, std::vector<std::uint8_t> record) {
    record.push_back(static_cast<std::uint8_t>(0x100 - ByteSum(record)));
    AppendRecordLine(file, ":", record);
}

}  // namespace

bool DecodeIntelHex(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>& image,
                    std::string& error) {
    return DecodeRecordLines(file, ReadRecord, EndRecord::Required, image, error);
}

std::vector<std::uint8_t> EncodeIntelHex(const std::uint8_t* image, std::size_t size) {
    std::vector<std::uint8_t> file;
    for (std::size_t address = 0; address < size; address += kDataRecordLength) {
        const std::size_t length = std::min(kDataRecordLength, size - address);
        std::vector<std::uint8_t> record = {static_cast<std::uint8_t>(length),
                                            static_cast<std::uint8_t>(address >> 8),
                                            static_cast<std::uint8_t>(address), kData};
        record.insert(record.end(), image + address, image + address + length);
        AppendRecord(file, record);
    }
    AppendRecord(file, {0x00, 0x00, 0x00, kEndOfFile});
    return file;
}

}  // namespace korvel
