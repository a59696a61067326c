#include "common/ansi.h"

#include <cerrno>
#include <cstdlib>
#include <iconv.h>
#include <locale.h>
#include <stdexcept>
#include <wctype.h>

namespace common {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Decodes one character at the start of s into c and returns its length; 0 when s does not
// start with a well-formed UTF-8 sequence (overlong forms, surrogates and values above
// U+10FFFF are not well-formed).
std::size_t decodeUtf8(std::string_view s, char32_t& c) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    unsigned char b0 = byte(0);
    if (b0 < 0x80) {
        c = b0;
        return 1;
    }
    std::size_t length;
    char32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, min = 0x80, c = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, min = 0x800, c = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, min = 0x10000, c = b0 & 0x07;
    } else {
        return 0;
    }
    if (s.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (byte(i) & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

CodePage::CodePage(std::string_view name) {
    if (!build(name))
        throw std::invalid_argument("not a single-byte code page known to iconv: " +
                                    std::string(name));
}

std::optional<CodePage> CodePage::tryCreate(std::string_view name) {
    CodePage page;
    if (!page.build(name))
        return std::nullopt;
    return page;
}

CodePage CodePage::fromEnvironment() {
    if (const char* name = std::getenv("NATTERBY_CODEPAGE"))
        if (auto page = tryCreate(name))
            return std::move(*page);
    return CodePage(kDefaultName);
}

// Each of the 256 bytes is converted on its own. A byte that iconv finds incomplete (EINVAL) is
// the start of a longer sequence, so the code page is not single-byte; a byte it rejects
// (EILSEQ) is undefined in the code page.
bool CodePage::build(std::string_view name) {
    std::string nameText(name);
    if (nameText.empty())
        return false;
    iconv_t cd = ::iconv_open("UTF-8", nameText.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    bool singleByte = true;
    fromUnicode_.clear();
    for (int b = 0; b < 256 && singleByte; ++b) {
        ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char in = static_cast<char>(b);
        char out[16];
        char* inPtr = &in;
        char* outPtr = out;
        std::size_t inLeft = 1, outLeft = sizeof out;
        std::size_t result = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        std::size_t produced = sizeof out - outLeft;
        char32_t c = kReplacement;
        if (result == static_cast<std::size_t>(-1)) {
            if (errno != EILSEQ)
                singleByte = false;
        } else if (inLeft != 0 || produced == 0 ||
                   decodeUtf8(std::string_view(out, produced), c) != produced) {
            singleByte = false; // a stateful code page, or one byte giving several characters
        }
        toUnicode_[static_cast<std::size_t>(b)] = c;
        if (c != kReplacement)
            fromUnicode_.emplace(c, static_cast<unsigned char>(b));
    }
    ::iconv_close(cd);
    if (singleByte) {
        name_ = std::move(nameText);
        buildCaseFolding();
    }
    return singleByte;
}

// Each byte folds to the byte of its Unicode character's folded form: the lower case of its
// upper case, which also joins letters with two lower forms; where the code page lacks that
// character, the plain lower case; where it lacks that too, the byte stays itself. The case
// mappings are Unicode's as the C library's UTF-8 locale has them, whatever locale the program
// runs under; without that locale only ASCII letters fold.
void CodePage::buildCaseFolding() {
    for (int b = 0; b < 256; ++b)
        folded_[static_cast<std::size_t>(b)] =
            static_cast<char>(b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b);
    locale_t unicode = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (unicode == static_cast<locale_t>(nullptr))
        return;
    const auto byteOf = [this](wint_t c) -> std::optional<char> {
        auto it = fromUnicode_.find(static_cast<char32_t>(c));
        if (it == fromUnicode_.end())
            return std::nullopt;
        return static_cast<char>(it->second);
    };
    for (std::size_t b = 0; b < 256; ++b) {
        if (toUnicode_[b] == kReplacement)
            continue;
        const auto c = static_cast<wint_t>(toUnicode_[b]);
        const wint_t lower = ::towlower_l(c, unicode);
        folded_[b] = byteOf(::towlower_l(::towupper_l(c, unicode), unicode))
                         .value_or(byteOf(lower).value_or(static_cast<char>(b)));
    }
    ::freelocale(unicode);
}

bool CodePage::sameIgnoringCase(std::string_view a, std::string_view b) const {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (folded_[static_cast<unsigned char>(a[i])] != folded_[static_cast<unsigned char>(b[i])])
            return false;
    return true;
}

std::string CodePage::foldCase(std::string_view text) const {
    std::string out(text);
    for (char& ch : out)
        ch = folded_[static_cast<unsigned char>(ch)];
    return out;
}

std::string CodePage::toUtf8(std::string_view ansi) const {
    std::string out;
    out.reserve(ansi.size() * 2);
    for (char ch : ansi)
        appendUtf8(out, toUnicode_[static_cast<unsigned char>(ch)]);
    return out;
}

std::string CodePage::fromUtf8(std::string_view utf8) const {
    std::string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        char32_t c = 0;
        std::size_t length = decodeUtf8(utf8, c);
        if (length == 0) {
            out.push_back('?');
            utf8.remove_prefix(1);
            continue;
        }
        auto it = fromUnicode_.find(c);
        out.push_back(it != fromUnicode_.end() ? static_cast<char>(it->second) : '?');
        utf8.remove_prefix(length);
    }
    return out;
}

} // namespace common
