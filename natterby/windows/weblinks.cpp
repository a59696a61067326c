#include "natterby/windows/weblinks.h"

#include <array>

namespace natterby::windows {

namespace {

constexpr std::array<std::string_view, 6> kPrefixes = {"http://", "https://", "ftp://",
                                                       "mailto:", "news:",    "www."};
constexpr std::string_view kClosingPunctuation = ".,;:!?)]}'\"";

bool isWordCharacter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
           (byte >= 'a' && byte <= 'z') || byte >= 0x80;
}

// Blanks and control characters end an address, and so do the characters that cannot stand in
// one unquoted.
bool endsLink(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= ' ' || byte == 0x7F || c == '<' || c == '>' || c == '"';
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != prefix[i]) {
            return false;
        }
    }
    return true;
}

std::size_t prefixAt(std::string_view text, std::size_t at) {
    for (std::string_view prefix : kPrefixes) {
        if (startsWithIgnoringCase(text.substr(at), prefix)) {
            return prefix.size();
        }
    }
    return 0;
}

} // namespace

std::vector<WebLink> findWebLinks(std::string_view text) {
    std::vector<WebLink> links;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t prefix =
            (at == 0 || !isWordCharacter(text[at - 1])) ? prefixAt(text, at) : 0;
        if (prefix == 0) {
            ++at;
            continue;
        }
        std::size_t end = at + prefix;
        while (end < text.size() && !endsLink(text[end])) {
            ++end;
        }
        while (end > at + prefix &&
               kClosingPunctuation.find(text[end - 1]) != std::string_view::npos) {
            --end;
        }
        if (end == at + prefix) {
            at = end;
            continue;
        }
        std::string target(text.substr(at, end - at));
        if (startsWithIgnoringCase(target, "www.")) {
            target.insert(0, "http://");
        }
        links.push_back({at, end - at, std::move(target)});
        at = end;
    }
    return links;
}

} // namespace natterby::windows
