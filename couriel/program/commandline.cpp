#include "couriel/program/commandline.h"

#include "common/profile.h"

namespace couriel {

namespace {

std::uint16_t windowNumber(const std::string& argument) {
    return static_cast<std::uint16_t>(common::parseInt(argument, 0) & 0xFFFF);
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    if (arguments.empty()) {
        return line;
    }
    if (arguments[0] == "wait") {
        line.side = Side::Receiving;
        line.chatWindow = arguments.size() > 1 ? windowNumber(arguments[1]) : 0;
    } else {
        line.side = Side::Sending;
        line.chatWindow = windowNumber(arguments[0]);
    }
    return line;
}

} // namespace couriel
