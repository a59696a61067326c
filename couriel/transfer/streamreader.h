#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace couriel {

// The bytes of a transfer connection (TCP port 8671). From the sending side:
//
//   file header   "FILE" CR size CR name CR
//                 size in decimal digits; name the file's path below the sender's folder,
//                 backslashes between folders, in the ANSI code page; CR is byte 13
//   file data     exactly size bytes, once the receiver has answered the header
//   end mark      "END", after the last file
//
// and from the receiving side only the go-ahead "UPLOADING", once for each header it accepts.
// "FILE", "END" and "UPLOADING" are compared without regard to ASCII case.
//
// No message carries its own length: the sender pauses before each message so that a
// receiver that reads one message per read can tell them apart. These readers do not rely on
// the pauses. They count the data bytes, wait for the rest of a message that arrives in
// pieces, and find a message that arrives in the same read as the end of a file's data.

inline constexpr std::uint16_t kTransferPort = 8671;
inline constexpr std::string_view kGoAhead = "UPLOADING";
inline constexpr std::string_view kEndMark = "END";
// The longest header taken: what one read of the socket returns at most.
inline constexpr std::size_t kMaxHeaderSize = 4096;

// The header of a file; the size must be below 2^31, which the header cannot go beyond.
std::string fileHeader(std::int32_t size, std::string_view name);

// A header's size field: an optional sign, then the digits up to the first other character;
// no digits give 0. Nothing for a negative size or one beyond 32 bits.
std::optional<std::int32_t> parseSize(std::string_view field);

// Splits what a receiver reads into the messages and the data above.
class StreamReader {
public:
    struct Header {
        std::int32_t size;
        std::string name; // as received
    };
    // A piece of the current file's data, valid until the next call.
    struct Data {
        std::string_view bytes;
    };
    // The current file's data is complete; follows its header at once when the size is 0.
    struct FileEnd {};
    struct End {};
    // Bytes that are no message: dropped, as is a header whose size cannot be a size.
    struct Ignored {
        std::size_t size;
    };
    using Item = std::variant<Header, Data, FileEnd, End, Ignored>;

    // More bytes may wait than items were taken (while an answer is awaited), but only up to
    // kMaxBacklog: false, taking nothing, when the bytes would go beyond.
    static constexpr std::size_t kMaxBacklog = 1 << 20;
    bool append(std::string_view bytes);

    // The next item, or nothing until more bytes come.
    std::optional<Item> next();

    // Inside a file's data, and how many of its bytes are still to come.
    bool inFile() const { return inFile_; }
    std::int64_t remaining() const { return remaining_; }
    // Counts bytes of the file's data that went from the socket to the file without passing
    // through the reader, while no byte waited in it; at most remaining().
    void skipData(std::int64_t count) { remaining_ -= std::min(count, remaining_); }

private:
    std::string_view waiting() const;
    void consume(std::size_t count);
    std::optional<Item> nextMessage();

    std::string buffer_;
    std::size_t start_ = 0;
    bool inFile_ = false;
    std::int64_t remaining_ = 0;
};

// Counts the go-aheads in what a sender reads, keeping a piece of one until the rest comes;
// anything else is dropped.
class GoAheadReader {
public:
    // The number of go-aheads that the chunk completes.
    int append(std::string_view chunk);

private:
    std::string pending_;
};

} // namespace couriel
