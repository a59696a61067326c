#include "natterby/transport/ipxtext.h"

#include <optional>

namespace natterby::transport {

namespace {

std::optional<unsigned> hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<unsigned>(c - 'A' + 10);
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<unsigned>(c - 'a' + 10);
    }
    return std::nullopt;
}

} // namespace

std::array<std::uint8_t, 6> parseIpxNode(std::string_view text) {
    std::array<std::uint8_t, 6> node{};
    std::size_t count = 0;
    std::size_t i = 0;
    while (count < node.size() && i < text.size()) {
        if (!hexDigit(text[i])) {
            ++i;
            continue;
        }
        // A group longer than two digits keeps its low byte, as a byte-sized store would.
        unsigned value = 0;
        for (; i < text.size() && hexDigit(text[i]); ++i) {
            value = ((value << 4) | *hexDigit(text[i])) & 0xFF;
        }
        node[count++] = static_cast<std::uint8_t>(value);
    }
    return node;
}

std::uint16_t parseIpxSocketNumber(std::string_view text) {
    if (!text.empty() && text.front() == '$') {
        text.remove_prefix(1);
    }
    unsigned value = 0;
    for (char c : text) {
        const std::optional<unsigned> digit = hexDigit(c);
        if (!digit) {
            break;
        }
        value = ((value << 4) | *digit) & 0xFFFF;
    }
    return static_cast<std::uint16_t>(value);
}

} // namespace natterby::transport
