#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace natterby::transport {

// A node address in text: hexadecimal byte values separated by anything that is not a
// hexadecimal digit, as in "FF.FF.FF.FF.FF.FF"; up to six bytes, missing ones are 0.
std::array<std::uint8_t, 6> parseIpxNode(std::string_view text);

// A socket number as stored in the settings: an optional "$", then hexadecimal digits up to the
// first other character. "8199" is 0x8199; text without leading digits gives 0.
std::uint16_t parseIpxSocketNumber(std::string_view text);

} // namespace natterby::transport
