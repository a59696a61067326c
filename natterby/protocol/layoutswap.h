#pragma once

#include <string>
#include <string_view>

namespace natterby::protocol {

// Retypes text that was typed in the wrong keyboard layout: every character becomes the one
// that the same key gives in the other layout, between US English and Russian, both in
// Windows-1251 ("ghbdtn" <-> "привет"). Four characters convert one way only ('/' -> '.',
// '?' -> ',', '&' -> '?', '^' -> ':'); characters without a counterpart stay. One pass, so a
// converted character is never converted again.
std::string swapKeyboardLayout(std::string_view text);

} // namespace natterby::protocol
