#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace common {

// A single-byte ANSI code page, for the one place where texts meet Unicode: the widgets. Every
// text of the programs, on the wire and in files, stays in the code page.
// The tables are built once with iconv when the object is made; converting uses only them, so
// a CodePage is cheap to copy, safe to share between threads, and never fails.
class CodePage {
public:
    static constexpr std::string_view kDefaultName = "CP1251";

    // Throws std::invalid_argument when iconv does not know the name or the code page is not
    // single-byte.
    explicit CodePage(std::string_view name);
    static std::optional<CodePage> tryCreate(std::string_view name);
    // The code page named by the environment variable NATTERBY_CODEPAGE when it is usable,
    // else CP1251.
    static CodePage fromEnvironment();

    const std::string& name() const { return name_; }

    // Bytes the code page leaves undefined become U+FFFD.
    std::string toUtf8(std::string_view ansi) const;
    // Characters the code page lacks, and each byte of invalid UTF-8, become '?'.
    std::string fromUtf8(std::string_view utf8) const;

private:
    CodePage() = default;
    bool build(std::string_view name);

    std::string name_;
    std::array<char32_t, 256> toUnicode_{};
    std::unordered_map<char32_t, unsigned char> fromUnicode_;
};

} // namespace common
