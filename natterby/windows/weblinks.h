#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace natterby::windows {

// A web address found in a message text.
struct WebLink {
    std::size_t begin = 0;
    std::size_t length = 0;
    // What opening the link hands to the desktop: the text itself, or with "http://" in front
    // of a bare "www." address, which would otherwise be taken for a file or program name.
    std::string target;
};

// The web addresses of a text, in order: runs of printable characters that start with a web
// scheme (http, https, ftp, mailto, news) or "www." at the start of a word, without the closing
// punctuation of the sentence around them. Other schemes (file: in particular) are not links, so
// that a message can never make a click start a local program.
std::vector<WebLink> findWebLinks(std::string_view text);

} // namespace natterby::windows
