#include "natterby/windows/weblinks.h"

#include <gtest/gtest.h>

namespace {

using natterby::windows::findWebLinks;

struct Case {
    const char* text;
    std::vector<std::string> links; // the found texts, in order
};

// Test names show the text, line breaks as '_'.
void PrintTo(const Case& c, std::ostream* out) {
    for (const char ch : std::string_view(c.text)) {
        *out << (static_cast<unsigned char>(ch) < ' ' ? '_' : ch);
    }
}

class WebLinks : public ::testing::TestWithParam<Case> {};

TEST_P(WebLinks, AreFoundWithoutTheSentenceAroundThem) {
    const Case& c = GetParam();
    const std::string text = c.text;
    std::vector<std::string> found;
    for (const auto& link : findWebLinks(text)) {
        ASSERT_LE(link.begin + link.length, text.size());
        found.push_back(text.substr(link.begin, link.length));
    }
    EXPECT_EQ(found, c.links);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, WebLinks,
    ::testing::Values(Case{"see http://a.org/x?y=1.", {"http://a.org/x?y=1"}},
                      Case{"(HTTPS://A.ORG) and www.b.net, then mailto:c@d.e!",
                           {"HTTPS://A.ORG", "www.b.net", "mailto:c@d.e"}},
                      Case{"line\r\nftp://f.lan/p\r\nnext", {"ftp://f.lan/p"}},
                      Case{"<http://q.org>\"", {"http://q.org"}},
                      // Not links: inside a word, a bare scheme, local files and programs.
                      Case{"xwww.a.org http:// www. file:///bin/sh notes.txt", {}}, Case{"", {}}));

} // namespace
