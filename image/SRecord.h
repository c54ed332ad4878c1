#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvel {

// Motorola S-records. Written as an empty S0 header, S1 data records of 16 bytes and the S9 end
// record. Read: the S0 header (ignored), S1, S2 and S3 data, the S5 and S6 record counts (checked
// against the data records before them), and the S7, S8 and S9 end records (their start address
// ignored), which may be missing, as srec_cat leaves them out unless given a start address.
bool DecodeSRecord(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>& image,
                   std::string& error);
std::vector<std::uint8_t> EncodeSRecord(const std::uint8_t* image, std::size_t size);

}  // namespace korvel
