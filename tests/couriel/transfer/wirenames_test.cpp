#include "couriel/transfer/wirenames.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const common::CodePage cp1251("CP1251");

TEST(WireNamesTest, AReceivedNameStaysBelowTheFolderOrIsRefused) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"docs\\report.doc", "docs/report.doc"},
        {"sub\\deeper\\f", "sub/deeper/f"},
        {"a/b", "a/b"},
        {"\\etc\\passwd", "etc/passwd"},
        {"/tmp/x", "tmp/x"},
        {".\\a\\\\b", "a/b"},
        {"...", "..."},
        {"\xEF\xF0\xE8\xE2\xE5\xF2.txt", "привет.txt"},
        {"..\\..\\evil.txt", std::nullopt},
        {"a\\..\\..\\b", std::nullopt},
        {"../x", std::nullopt},
        {"C:\\Windows\\evil.txt", std::nullopt},
        {"c:evil.txt", std::nullopt},
        {"\\D:\\x", std::nullopt},
        {"", std::nullopt},
        {"\\", std::nullopt},
        {".", std::nullopt},
        {std::string("a\0b", 3), std::nullopt},
    };
    for (const auto& [name, expected] : cases) {
        const std::optional<fs::path> path = couriel::receivedPath(name, cp1251);
        ASSERT_EQ(path.has_value(), expected.has_value()) << name;
        if (path) {
            EXPECT_EQ(path->string(), *expected) << name;
            EXPECT_TRUE(path->is_relative()) << name;
        }
    }
}

TEST(WireNamesTest, ASentNameIsCarriedExactlyOrNotAtAll) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"sub/deeper/f", "sub\\deeper\\f"},
        {"привет.txt", "\xEF\xF0\xE8\xE2\xE5\xF2.txt"},
        {"back\\slash", std::nullopt},
        {"carriage\rreturn", std::nullopt},
    };
    for (const auto& [relative, expected] : cases) {
        const std::optional<std::string> name = couriel::wireName(relative, cp1251);
        EXPECT_EQ(name, expected) << relative;
        if (name) {
            EXPECT_EQ(couriel::receivedPath(*name, cp1251), fs::path(relative)) << relative;
        }
    }
}

} // namespace
