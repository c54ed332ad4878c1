#include "image/SRecord.h"

#include <algorithm>

#include "image/HexText.h"
#include "image/RecordText.h"

namespace korvel {
namespace {

// The address length of each record type, S0 to S9; 0 for S4, which is reserved.
constexpr std::size_t kAddressLength[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

// A line "S" + type + "LL" + address + data + "CC", where LL counts the bytes after it.
struct Record {
    int type;
    std::uint64_t address;
    std::vector<std::uint8_t> data;
};

bool ParseRecord(const std::string& line, Record& record, std::string& problem) {
    if (line[0] != 'S') {
        problem = "not a record";
        return false;
    }
    if (line.size() < 2 || line[1] < '0' || line[1] > '9' || kAddressLength[line[1] - '0'] == 0) {
        problem = "unknown record type";
        return false;
    }
    record.type = line[1] - '0';
    const std::size_t addressLength = kAddressLength[record.type];
    std::vector<std::uint8_t> bytes;
    if (!ParseHexPairs(line, 2, bytes, problem)) {
        return false;
    }
    if (bytes.empty() || bytes.size() != 1u + bytes[0] || bytes[0] < addressLength + 1) {
        problem = "wrong record length";
        return false;
    }
    if (ByteSum(bytes) != 0xFF) {
        problem = "bad checksum";
        return false;
    }
    record.address = 0;
    for (std::size_t i = 1; i <= addressLength; ++i) {
        record.address = record.address << 8 | bytes[i];
    }
    record.data.assign(bytes.begin() + 1 + static_cast<std::ptrdiff_t>(addressLength),
                       bytes.end() - 1);
    return true;
}

// Reads one record, counting the data records for the count records after them.
bool ReadRecord(const std::string& line, std::uint64_t& dataRecords, ImageAssembler& image,
                bool& end, std::string& problem) {
    Record record;
    if (!ParseRecord(line, record, problem)) {
        return false;
    }
    if (record.type == 0) {
        return true;
    }
    if (record.type <= 3) {
        ++dataRecords;
        return image.Place(record.address, record.data.data(), record.data.size(), problem);
    }
    if (!record.data.empty()) {
        problem = "wrong record length";
        return false;
    }
    if (record.type <= 6 && record.address != dataRecords) {
        problem = "wrong record count";
        return false;
    }
    end = record.type >= 7;
    return true;
}

// A record's bytes, counted, with the checksum that makes them add up to 0xFF.
void AppendRecord(std::vector<std::uint8_t>& file, const char* mark,
                  std::vector<std::uint8_t> record) {
    record.insert(record.begin(), static_cast<std::uint8_t>(record.size() + 1));
    record.push_back(static_cast<std::uint8_t>(~ByteSum(record)));
    AppendRecordLine(file, mark, record);
}

}  // namespace

bool DecodeSRecord(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>& image,
                   std::string& error) {
    return DecodeRecordLines(file, ReadRecord, EndRecord::Optional, image, error);
}

std::vector<std::uint8_t> EncodeSRecord(const std::uint8_t* image, std::size_t size) {
    std::vector<std::uint8_t> file;
    AppendRecord(file, "S0", {0x00, 0x00});  // an empty header: readers such as srec_cat want one
    for (std::size_t address = 0; address < size; address += kDataRecordLength) {
        const std::size_t length = std::min(kDataRecordLength, size - address);
        std::vector<std::uint8_t> record = {static_cast<std::uint8_t>(address >> 8),
                                            static_cast<std::uint8_t>(address)};
        record.insert(record.end(), image + address, image + address + length);
        AppendRecord(file, "S1", record);
    }
    AppendRecord(file, "S9", {0x00, 0x00});
    return file;
}

}  // namespace korvel
