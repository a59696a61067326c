// Hostile and broken datagrams through the whole receive path. Each datagram lies in a heap
// block of exactly its size, so that under AddressSanitizer any read past its end fails the run.
#include "tests/fakes/lan.h"

#include <gtest/gtest.h>
#include <memory>
#include <random>

namespace {

using namespace natterby::protocol;
using natterby::settings::Settings;

class ChatDatagrams : public testing::Test {
protected:
    void receive(std::string_view datagram) {
        const auto block = std::make_unique<char[]>(datagram.size());
        std::copy(datagram.begin(), datagram.end(), block.get());
        ann.chat.receive(std::span<char>(block.get(), datagram.size()));
        lan.drop(); // the answers go nowhere
    }
    // Frames a body as Bob would send it, then receives it.
    void receiveBody(const std::string& body, char messageClass) {
        bob.framing.send(body, messageClass == 'T');
        receive(bob.sent.back());
        bob.sent.clear();
    }
    // A body of the layout's kind, its fields drawn from what the handlers compare them with.
    std::string randomBody(const MessageLayout& layout) {
        static const char* const texts[] = {"Ann",         "Bob", "#Main", "#Work",
                                            "#Main#Work#", "",    "x#"};
        std::string body(layout.code);
        for (const char kind : layout.fields) {
            if (kind == 't') {
                body += texts[rng() % std::size(texts)];
                body += '\0';
            } else {
                body += "0123\xFF"[rng() % 5];
            }
        }
        return body;
    }

    fakes::Lan lan;
    // Every switch that lets a message reach further is on.
    fakes::Peer& ann = lan.add("Ann", [](Settings& s) {
        s.execute.razresh = true;
        s.channels.logged = "#Main\n#Work\n";
        s.view.balloonShow = true;
    });
    fakes::Peer& bob = lan.add("Bob");
    std::mt19937 rng{2049};
};

TEST_F(ChatDatagrams, RandomCutAndMutatedDatagramsOfEveryKind) {
    std::uniform_int_distribution<int> byte(0, 255);
    for (std::size_t length = 0; length <= 2049; ++length) {
        std::string datagram(length, '\0');
        for (char& c : datagram) {
            c = static_cast<char>(byte(rng));
        }
        if (length > 0) {
            datagram[0] = length % 2 ? 'T' : 'Y';
        }
        receive(datagram);
    }
    for (const MessageLayout& layout : messageLayouts()) {
        for (int round = 0; round < 256; ++round) {
            std::string body = randomBody(layout);
            if (round % 32 == 0) {
                for (std::size_t length = 0; length < body.size(); ++length) {
                    receiveBody(body.substr(0, length), layout.messageClass);
                }
            }
            for (int change = 0; change < round % 4 && !body.empty(); ++change) {
                const std::size_t at = rng() % body.size();
                switch (rng() % 3) {
                case 0: // zero bytes and field starts are what the reader steers by
                    body[at] = "\0#\xFF"[rng() % 3];
                    break;
                case 1:
                    body.erase(at, 1);
                    break;
                default:
                    body.insert(at, 1, static_cast<char>(byte(rng)));
                }
            }
            receiveBody(body, layout.messageClass);
        }
    }
    // The datagrams got past the framing into the handlers.
    EXPECT_GT(ann.view.lines.size(), 300u);
}

} // namespace
