#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace common {

// A single-byte ANSI code page, for the one place where texts meet Unicode: the widgets. Every
// text of the programs, on the wire and in files, stays in the code page.
// The tables are built once with iconv (and the C library's Unicode case mappings) when the
// object is made; converting and comparing use only them, so a CodePage is cheap to copy, safe
// to share between threads, and never fails.
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

    // Texts compared "without regard to case" (nicks in the nick list and the ignore lists,
    // channel names in the options) go through this one comparison, so that every letter of
    // the code page folds as Unicode folds it, Cyrillic as well as Latin: in Windows-1251 "Аня"
    // and "АНЯ" are one nick.
    bool sameIgnoringCase(std::string_view a, std::string_view b) const;
    // The text with each letter replaced by its case-folded form in the code page; two texts
    // are the same without regard to case exactly when their folded forms are equal.
    std::string foldCase(std::string_view text) const;

private:
    CodePage() = default;
    bool build(std::string_view name);
    void buildCaseFolding();

    std::string name_;
    std::array<char32_t, 256> toUnicode_{};
    std::unordered_map<char32_t, unsigned char> fromUnicode_;
    std::array<char, 256> folded_{};
};

} // namespace common
