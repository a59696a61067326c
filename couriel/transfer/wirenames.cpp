#include "couriel/transfer/wirenames.h"

#include <algorithm>

namespace couriel {

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool isDrive(std::string_view part) {
    const char letter = part.empty() ? '\0' : part[0];
    return part.size() >= 2 && part[1] == ':' &&
           ((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z'));
}

} // namespace

std::optional<std::string> wireName(const std::filesystem::path& relative,
                                    const common::CodePage& codePage) {
    std::string name;
    for (const std::filesystem::path& part : relative) {
        const std::string utf8 = part.string();
        if (utf8.find_first_of("\r\\") != std::string::npos) {
            return std::nullopt;
        }
        std::string ansi = codePage.fromUtf8(utf8);
        if (codePage.toUtf8(ansi) != utf8) {
            return std::nullopt;
        }
        if (!name.empty()) {
            name += '\\';
        }
        name += ansi;
    }
    return name;
}

std::optional<std::filesystem::path> receivedPath(std::string_view name,
                                                  const common::CodePage& codePage) {
    if (name.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    std::filesystem::path path;
    while (!name.empty()) {
        std::size_t end = 0;
        while (end < name.size() && !isSeparator(name[end])) {
            ++end;
        }
        const std::string_view part = name.substr(0, end);
        name.remove_prefix(std::min(end + 1, name.size()));
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == ".." || isDrive(part)) {
            return std::nullopt;
        }
        path /= codePage.toUtf8(part);
    }
    if (path.empty()) {
        return std::nullopt;
    }
    return path;
}

} // namespace couriel
