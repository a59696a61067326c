#include "couriel/transfer/streamreader.h"

#include <algorithm>
#include <limits>

namespace couriel {

namespace {

// The header's first field with the CR that ends it: a header is known from these five bytes.
constexpr std::string_view kFileTag = "FILE\r";

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool sameWithoutCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return upper(x) == upper(y); });
}

bool startsWith(std::string_view text, std::string_view word) {
    return text.size() >= word.size() && sameWithoutCase(text.substr(0, word.size()), word);
}

// Whether the text may still become the word: it is a beginning of it, shorter than it.
bool mayBecome(std::string_view text, std::string_view word) {
    return text.size() < word.size() && sameWithoutCase(text, word.substr(0, text.size()));
}

} // namespace

std::string fileHeader(std::int32_t size, std::string_view name) {
    std::string header(kFileTag);
    header += std::to_string(size);
    header += '\r';
    header += name;
    header += '\r';
    return header;
}

std::optional<std::int32_t> parseSize(std::string_view field) {
    std::size_t i = 0;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
        value = value * 10 + (field[i] - '0');
        if (value > std::numeric_limits<std::int32_t>::max()) {
            return std::nullopt;
        }
    }
    if (negative && value != 0) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

bool StreamReader::append(std::string_view bytes) {
    if (waiting().size() + bytes.size() > kMaxBacklog) {
        return false;
    }
    // Taken items point into the buffer until now; from here on the taken bytes can go.
    if (start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    } else if (start_ > buffer_.size() / 2) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
    buffer_.append(bytes);
    return true;
}

std::string_view StreamReader::waiting() const {
    return std::string_view(buffer_).substr(start_);
}

void StreamReader::consume(std::size_t count) {
    start_ += count;
}

std::optional<StreamReader::Item> StreamReader::next() {
    if (!inFile_) {
        return nextMessage();
    }
    if (remaining_ == 0) {
        inFile_ = false;
        return FileEnd{};
    }
    const std::string_view bytes = waiting();
    if (bytes.empty()) {
        return std::nullopt;
    }
    const std::size_t count =
        static_cast<std::size_t>(std::min<std::int64_t>(remaining_, std::ssize(bytes)));
    consume(count);
    remaining_ -= static_cast<std::int64_t>(count);
    return Data{bytes.substr(0, count)};
}

std::optional<StreamReader::Item> StreamReader::nextMessage() {
    const std::string_view bytes = waiting();
    if (bytes.empty()) {
        return std::nullopt;
    }
    if (startsWith(bytes, kEndMark)) {
        consume(kEndMark.size());
        return End{};
    }
    if (startsWith(bytes, kFileTag)) {
        const std::size_t sizeEnd = bytes.find('\r', kFileTag.size());
        const std::size_t nameEnd =
            sizeEnd == std::string_view::npos ? sizeEnd : bytes.find('\r', sizeEnd + 1);
        if (nameEnd == std::string_view::npos) {
            if (bytes.size() < kMaxHeaderSize) {
                return std::nullopt;
            }
            consume(bytes.size());
            return Ignored{bytes.size()};
        }
        const std::size_t length = nameEnd + 1;
        consume(length);
        const std::optional<std::int32_t> size =
            parseSize(bytes.substr(kFileTag.size(), sizeEnd - kFileTag.size()));
        if (length > kMaxHeaderSize || !size) {
            return Ignored{length};
        }
        inFile_ = true;
        remaining_ = *size;
        return Header{*size, std::string(bytes.substr(sizeEnd + 1, nameEnd - sizeEnd - 1))};
    }
    if (mayBecome(bytes, kEndMark) || mayBecome(bytes, kFileTag)) {
        return std::nullopt;
    }
    consume(bytes.size());
    return Ignored{bytes.size()};
}

int GoAheadReader::append(std::string_view chunk) {
    pending_.append(chunk);
    int count = 0;
    while (startsWith(pending_, kGoAhead)) {
        pending_.erase(0, kGoAhead.size());
        ++count;
    }
    if (!mayBecome(pending_, kGoAhead)) {
        pending_.clear();
    }
    return count;
}

} // namespace couriel
