#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace couriel {

// Which end of a transfer this copy is: the chat starts the receiving one with "wait" and
// its window, the sending one with its window alone.
enum class Side { None, Receiving, Sending };

struct CommandLine {
    Side side = Side::None;
    // Where the notices go; 0 loses them.
    std::uint16_t chatWindow = 0;
};

// The arguments after the program's name. Only the first two count. "wait" must be written in
// lower case; a capitalised form is taken for a window number, which it is not, so that copy
// sends and its notices are lost. A number is read as the chat reads it (an optional sign, the
// digits up to the first other character, none giving 0) and kept as its low 16 bits.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

} // namespace couriel
