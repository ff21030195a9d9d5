#pragma once
// Stands for CoCreateGuid: a random (version 4) GUID.

#include <cstdint>
#include <optional>

namespace platform {

// The fields as Windows lays out a GUID.
struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::uint8_t data4[8] = {};
};

// 16 bytes from the system's random source with the version-4 bits (the top
// nibble of data3) and the variant bits (the top two of data4[0], "10") set;
// nullopt when the random source cannot be read.
std::optional<Guid> CreateGuid();

}  // namespace platform
