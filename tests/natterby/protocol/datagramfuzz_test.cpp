#include "natterby/protocol/messages.h"
#include "natterby/transport/framing.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace natterby::protocol;
using natterby::transport::Framing;

class DiscardingSink : public natterby::transport::PacketSink {
public:
    std::optional<natterby::transport::ESocketError> sendPacket(std::string_view packet) override {
        last.assign(packet);
        return std::nullopt;
    }
    std::string last;
};

// Reads a received datagram as the dispatch will: accept, then every layout over it. Each field
// must lie inside the datagram.
void receive(Framing& framing, std::string datagram) {
    const char* begin = datagram.data();
    const char* end = begin + datagram.size();
    if (!framing.accept(datagram)) {
        return;
    }
    for (const MessageLayout& layout : messageLayouts()) {
        const auto fields = readFields(datagram, layout);
        if (!fields) {
            continue;
        }
        ASSERT_EQ(fields->size(), layout.fields.size());
        for (std::string_view field : *fields) {
            ASSERT_TRUE(field.empty() ||
                        (field.data() >= begin && field.data() + field.size() <= end));
        }
    }
}

TEST(DatagramFuzz, RandomDatagramsOfEveryLengthAndEveryPrefixOfRealPackets) {
    DiscardingSink sink;
    Framing framing(sink, [] { return 0; });
    std::mt19937 random(8198);
    std::uniform_int_distribution<int> byte(0, 255);
    for (std::size_t length = 0; length <= 4096; ++length) {
        std::string datagram(length, '\0');
        for (char& c : datagram) {
            c = static_cast<char>(byte(random));
        }
        if (length > 0) {
            datagram[0] = length % 2 ? 'T' : 'Y';
        }
        receive(framing, datagram);
    }

    int next = 0;
    Framing sender(sink, [&next] { return next++ % 95; });
    for (const std::string& body :
         {chatLine("#Main", "Ann", std::string(600, 'x')),
          confirmation('0', "Bob", "Ann", '1', "away"), statusChange("Ann", '2', '0', ""),
          refreshAnswer("Ann", "Bob", '0', '1'), fileOfferAnswer("Ann", "Bob", '1')}) {
        sender.send(body, body[0] != 'S');
        const std::string packet = sink.last;
        for (std::size_t length = 0; length <= packet.size(); ++length) {
            // A fresh receiver each time, or every prefix after the first would be a repeat.
            Framing fresh(sink, [] { return 0; });
            receive(fresh, packet.substr(0, length));
        }
    }
}

} // namespace
