// Couriel's receiving side reading a transfer connection: the stream reader over the bytes cut
// into reads of every length, and the place each received name would be written to. The first
// byte of an input chooses the length of the reads.
#include "common/ansi.h"
#include "couriel/transfer/streamreader.h"
#include "couriel/transfer/wirenames.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// A received name must stay below the folder: relative, and no part leads up.
void checkConfined(std::string_view name) {
    static const common::CodePage codePage("CP1251");
    const std::optional<std::filesystem::path> path = couriel::receivedPath(name, codePage);
    if (!path) {
        return;
    }
    check(path->is_relative() && !path->empty());
    for (const std::filesystem::path& part : *path) {
        check(part != ".." && part != "." && !part.empty());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t readLength = 1 + data[0] % 64;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    couriel::StreamReader reader;
    std::int64_t announced = 0;
    std::int64_t received = 0;
    for (std::size_t at = 0; at < bytes.size(); at += readLength) {
        check(reader.append(bytes.substr(at, readLength)));
        while (const auto item = reader.next()) {
            if (const auto* header = std::get_if<couriel::StreamReader::Header>(&*item)) {
                check(header->size >= 0);
                check(header->name.find('\r') == std::string::npos);
                checkConfined(header->name);
                announced = header->size;
                received = 0;
            } else if (const auto* piece = std::get_if<couriel::StreamReader::Data>(&*item)) {
                check(!piece->bytes.empty());
                received += static_cast<std::int64_t>(piece->bytes.size());
                check(received <= announced);
                check(reader.remaining() == announced - received);
            } else if (std::holds_alternative<couriel::StreamReader::FileEnd>(*item)) {
                check(received == announced && !reader.inFile());
            }
        }
    }
    return 0;
}
