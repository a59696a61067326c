// Received datagrams as the chat reads them: the framing's accept, then the field reader over
// every message layout, both on the unscrambled datagram and on the bytes as they came.
#include "natterby/protocol/messages.h"
#include "natterby/transport/framing.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

class NoSink : public natterby::transport::PacketSink {
public:
    std::optional<natterby::transport::ESocketError> sendPacket(std::string_view) override {
        return std::nullopt;
    }
};

void readEveryLayout(const std::string& datagram) {
    for (const natterby::protocol::MessageLayout& layout : natterby::protocol::messageLayouts()) {
        if (const auto fields = natterby::protocol::readFields(datagram, layout)) {
            for (std::string_view field : *fields) {
                // Touch every byte, so that a field reaching outside the datagram is caught.
                volatile char sink = 0;
                for (char c : field) {
                    sink = static_cast<char>(sink ^ c);
                }
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    readEveryLayout(input);
    // A fresh receiver per input keeps runs repeatable: no header is remembered from the last.
    NoSink sink;
    natterby::transport::Framing framing(sink, [] { return 0; });
    std::string datagram = input;
    if (framing.accept(datagram)) {
        readEveryLayout(datagram);
    }
    return 0;
}
