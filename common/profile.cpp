#include "common/profile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace common {

namespace {

// Settings and language files are a few kilobytes. Anything larger is read only this far, and
// is never rewritten (a write would lose the rest), so a huge or binary file costs bounded work.
constexpr std::size_t kMaxFileSize = 4 * 1024 * 1024;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view upToLineBreak(std::string_view s) {
    return s.substr(0, s.find_first_of("\r\n"));
}

enum class LineKind { Other, Section, Key };

struct Line {
    std::size_t begin = 0;   // first byte of the line
    std::size_t textEnd = 0; // end of the line without its CR LF or LF
    std::size_t next = 0;    // first byte of the following line
    LineKind kind = LineKind::Other;
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // key value, trimmed
};

// Blank lines, comments (';' first) and lines that are neither "[name]" nor "name=value" are
// Other: kept in the file and ignored.
void classify(std::string_view text, Line& line) {
    std::string_view t = trimmed(text);
    if (t.empty() || t.front() == ';')
        return;
    if (t.front() == '[') {
        std::size_t close = t.find(']');
        if (close != std::string_view::npos) {
            line.kind = LineKind::Section;
            line.name = trimmed(t.substr(1, close - 1));
        }
        return;
    }
    std::size_t eq = t.find('=');
    if (eq == std::string_view::npos)
        return;
    line.kind = LineKind::Key;
    line.name = trimmed(t.substr(0, eq));
    line.value = trimmed(t.substr(eq + 1));
}

// Calls visit(const Line&) for each line until it returns false.
template <typename Visit> void forEachLine(std::string_view content, Visit visit) {
    std::size_t pos = 0;
    while (pos < content.size()) {
        Line line;
        line.begin = pos;
        std::size_t lf = content.find('\n', pos);
        line.next = lf == std::string_view::npos ? content.size() : lf + 1;
        line.textEnd = lf == std::string_view::npos ? content.size() : lf;
        if (line.textEnd > pos && content[line.textEnd - 1] == '\r')
            --line.textEnd;
        classify(content.substr(pos, line.textEnd - pos), line);
        if (!visit(line))
            return;
        pos = line.next;
    }
}

std::string_view lineEndOf(std::string_view content) {
    std::size_t lf = content.find('\n');
    if (lf != std::string_view::npos && (lf == 0 || content[lf - 1] != '\r'))
        return "\n";
    return "\r\n";
}

// Reads at most kMaxFileSize + 1 bytes, so the caller can tell an oversized file. False when the
// file cannot be opened or read.
bool readFile(const std::string& path, std::string& content) {
    content.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    char buffer[65536];
    bool ok = true;
    while (content.size() <= kMaxFileSize) {
        std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
        content.append(buffer, n);
        if (n < sizeof buffer) {
            ok = !std::ferror(f);
            break;
        }
    }
    std::fclose(f);
    return ok;
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool writeInPlace(const std::string& path, std::string_view data) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, data);
    return (::close(fd) == 0) && ok;
}

// A reader in the other program sees either the old or the new file, never a half-written one:
// the new contents go to a temporary file in the same folder that then replaces the file. Where
// that is not possible (a folder without write access, a symbolic link) the file is rewritten
// in place, as the Windows functions do.
bool replaceFile(const std::string& path, std::string_view data) {
    struct stat st {};
    bool exists = ::lstat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode))
        return writeInPlace(path, data);
    std::string temp = path + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return writeInPlace(path, data);
    mode_t mode = exists ? (st.st_mode & 07777) : 0644;
    if (!exists) {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    (void)::fchmod(fd, mode); // a mode that cannot be set is not a failure
    bool ok = writeAll(fd, data);
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(temp.c_str(), path.c_str()) == 0)
        return true;
    ::unlink(temp.c_str());
    return false;
}

} // namespace

std::optional<std::string_view> findProfileValue(std::string_view content, std::string_view section,
                                                 std::string_view key) {
    std::optional<std::string_view> found;
    bool inSection = false;
    bool sectionSeen = false;
    // Only the first section of that name counts, and in it the first line of the key.
    forEachLine(content, [&](const Line& line) {
        if (line.kind == LineKind::Section) {
            if (inSection)
                return false;
            inSection = !sectionSeen && equalsIgnoringAsciiCase(line.name, section);
            sectionSeen = sectionSeen || inSection;
        } else if (inSection && line.kind == LineKind::Key &&
                   equalsIgnoringAsciiCase(line.name, key)) {
            found = line.value;
            return false;
        }
        return true;
    });
    return found;
}

std::string withProfileValue(std::string_view content, std::string_view section,
                             std::string_view key, std::string_view value) {
    section = trimmed(upToLineBreak(section));
    key = trimmed(upToLineBreak(key));
    value = upToLineBreak(value);
    const std::string_view eol = lineEndOf(content);

    bool inSection = false;
    bool sectionSeen = false;
    std::optional<Line> keyLine;
    std::optional<std::size_t> insertAt;
    forEachLine(content, [&](const Line& line) {
        if (line.kind == LineKind::Section) {
            if (inSection)
                return false;
            inSection = !sectionSeen && equalsIgnoringAsciiCase(line.name, section);
            if (inSection) {
                sectionSeen = true;
                insertAt = line.next;
            }
        } else if (inSection && line.kind == LineKind::Key) {
            if (equalsIgnoringAsciiCase(line.name, key)) {
                keyLine = line;
                return false;
            }
            insertAt = line.next;
        }
        return true;
    });

    std::string out;
    out.reserve(content.size() + section.size() + key.size() + value.size() + 8);
    if (keyLine) {
        // The file's spelling of the key is kept; the line keeps its own line end.
        out.append(content.substr(0, keyLine->begin));
        out.append(keyLine->name).append("=").append(value);
        out.append(content.substr(keyLine->textEnd));
        return out;
    }
    std::size_t at = insertAt.value_or(content.size());
    out.append(content.substr(0, at));
    if (at > 0 && content[at - 1] != '\n')
        out.append(eol);
    if (!insertAt)
        out.append("[").append(section).append("]").append(eol);
    out.append(key).append("=").append(value).append(eol);
    out.append(content.substr(at));
    return out;
}

std::string storedToText(std::string_view stored) {
    if (stored.size() >= 2 && (stored.front() == '"' || stored.front() == '\'') &&
        stored.back() == stored.front())
        stored = stored.substr(1, stored.size() - 2);
    return std::string(stored.substr(0, ProfileFile::kMaxValueLength));
}

std::string defaultToText(std::string_view defaultValue) {
    while (!defaultValue.empty() && (defaultValue.back() == ' ' || defaultValue.back() == '\t'))
        defaultValue.remove_suffix(1);
    return std::string(defaultValue.substr(0, ProfileFile::kMaxValueLength));
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    return true;
}

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {}

std::string ProfileFile::readText(std::string_view section, std::string_view key,
                                  std::string_view defaultValue) const {
    std::string content;
    if (readFile(path_, content)) {
        if (content.size() > kMaxFileSize)
            content.resize(kMaxFileSize);
        if (auto stored = findProfileValue(content, section, key))
            return storedToText(*stored);
    }
    return defaultToText(defaultValue);
}

std::int32_t ProfileFile::readInt(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) const {
    std::string content;
    if (readFile(path_, content)) {
        if (content.size() > kMaxFileSize)
            content.resize(kMaxFileSize);
        if (auto stored = findProfileValue(content, section, key))
            return parseInt(storedToText(*stored), defaultValue);
    }
    return defaultValue;
}

bool ProfileFile::writeText(std::string_view section, std::string_view key,
                            std::string_view value) const {
    std::string content;
    if (!readFile(path_, content)) {
        if (errno != ENOENT)
            return false; // there but unreadable: never overwrite what could not be read
        content.clear();
    }
    if (content.size() > kMaxFileSize)
        return false;
    std::string updated = withProfileValue(content, section, key, value);
    if (updated == content && ::access(path_.c_str(), F_OK) == 0)
        return true;
    return replaceFile(path_, updated);
}

bool ProfileFile::writeInt(std::string_view section, std::string_view key,
                           std::int32_t value) const {
    return writeText(section, key, std::to_string(value));
}

bool isFlagOne(std::string_view stored) {
    return stored == "1";
}

bool isFlagTrue(std::string_view stored) {
    return stored == "true";
}

std::uint32_t parseHex(std::string_view stored) {
    if (!stored.empty() && stored.front() == '$')
        stored.remove_prefix(1);
    std::uint32_t result = 0;
    for (char c : stored) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            break;
        result = (result << 4) | static_cast<std::uint32_t>(digit);
    }
    return result;
}

// As GetPrivateProfileIntA: an empty value gives the default; otherwise leading blanks, an
// optional sign and the decimal digits up to the first other character, wrapping modulo 2^32
// like the system's conversion, so a written negative number reads back signed.
std::int32_t parseInt(std::string_view stored, std::int32_t defaultValue) {
    if (stored.empty())
        return defaultValue;
    std::size_t i = 0;
    while (i < stored.size() && isBlank(stored[i]))
        ++i;
    bool negative = false;
    if (i < stored.size() && (stored[i] == '-' || stored[i] == '+'))
        negative = stored[i++] == '-';
    std::uint32_t result = 0;
    for (; i < stored.size() && stored[i] >= '0' && stored[i] <= '9'; ++i)
        result = result * 10u + static_cast<std::uint32_t>(stored[i] - '0');
    if (negative)
        result = 0u - result;
    return static_cast<std::int32_t>(result);
}

bool ignoreListHas(std::string_view list, std::string_view nick, const CodePage& codePage) {
    const std::string needle = "#" + codePage.foldCase(nick) + "#";
    return codePage.foldCase(list).find(needle) != std::string::npos;
}

} // namespace common
