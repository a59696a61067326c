#include "natterby/windows/weblinks.h"

#include <gtest/gtest.h>

TEST(WebLinks, AreFoundWithoutTheSentenceAroundThem) {
    const struct {
        std::string text;
        std::vector<std::string> links; // the found texts, in order
    } cases[] = {
        {"see http://a.org/x?y=1.", {"http://a.org/x?y=1"}},
        {"(HTTPS://A.ORG) and www.b.net, then mailto:c@d.e!",
         {"HTTPS://A.ORG", "www.b.net", "mailto:c@d.e"}},
        {"line\r\nftp://f.lan/p\r\nnext", {"ftp://f.lan/p"}},
        {"<http://q.org>\"", {"http://q.org"}},
        // Not links: inside a word, a bare scheme, local files and programs.
        {"xwww.a.org http:// www. file:///bin/sh notes.txt", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> found;
        for (const auto& link : natterby::windows::findWebLinks(c.text)) {
            ASSERT_LE(link.begin + link.length, c.text.size());
            found.push_back(c.text.substr(link.begin, link.length));
        }
        EXPECT_EQ(found, c.links) << c.text;
    }
}
