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
    void receiveBody(const std::string& body, bool chatClass) {
        bob.framing.send(body, chatClass);
        receive(bob.sent.back());
        bob.sent.clear();
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

TEST_F(ChatDatagrams, RandomDatagramsOfEveryLength) {
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
}

TEST_F(ChatDatagrams, CutAndMutatedPacketsOfEveryKind) {
    const std::string bodies[] = {
        refreshRequest("Bob"),
        refreshAnswer("Ann", "Bob", '0', '1'),
        chatLine("#Main", "Bob", "hi"),
        renameNick("Bob", "Ann", '0'),
        join("Bob", "#Main", '0', '1'),
        leave("Bob", "#Main", '0'),
        privateMessage("Bob", "Ann", "x"),
        confirmation('2', "Bob", "Ann", '1', "away"),
        remoteExecute("Bob", "Ann", "true", ""),
        remoteExecuteConfirmation("Ann", "Bob"),
        actionLine("#Main", "Bob", " x"),
        topicChange("#Main", "t (Bob) "),
        topicAnswer("Ann", "#Main", "t"),
        statusChange("Bob", '2', '0', "x"),
        massMessage("Bob", "Ann", "x"),
        informationRequest("Ann", "Bob"),
        informationAnswer("Ann", "Bob", "PC", "bob", "10.0.0.2", "#Main#Work#", "x"),
        soundCall("Ann", "Bob"),
        soundCallAnswer("Ann", "Bob", '1'),
        channelSoundCall("Bob", "#Main"),
        talkInvitation("Bob", "Ann", '0'),
        talkLine("Bob", "Ann", "x"),
        talkAction("Bob", "Ann", " x"),
        talkEnd("Bob", "Ann", '0'),
        memberRequest("Bob", "#Main"),
        memberAnswer("Ann", "#Main", "Bob", '1'),
        windowVisibility("Bob", '0'),
        channelListRequest("Bob"),
        channelListAnswer("Ann", "#Main#"),
        probe("Ann", "Bob", "t"),
        probeAnswer("Bob", "Ann", "t"),
    };
    const std::string fileOffers[] = {fileOffer("Ann", "Bob"), fileOfferAnswer("Ann", "Bob", '1'),
                                      receiverAddress("Ann", "Bob", "10.0.0.2")};
    std::uniform_int_distribution<int> byte(0, 255);
    const auto mutate = [&](const std::string& body, bool chatClass) {
        for (std::size_t length = 0; length <= body.size(); ++length) {
            receiveBody(body.substr(0, length), chatClass);
        }
        bob.framing.send(body, chatClass);
        const std::string packet = bob.sent.back();
        bob.sent.clear();
        for (std::size_t length = 0; length <= packet.size(); ++length) {
            receive(packet.substr(0, length));
        }
        for (int round = 0; round < 64; ++round) {
            std::string changed = body;
            const int changes = 1 + round % 4;
            for (int i = 0; i < changes && !changed.empty(); ++i) {
                const std::size_t at = rng() % changed.size();
                switch (rng() % 3) {
                case 0: // zero bytes and field starts are what the reader steers by
                    changed[at] = "\0#\xFF"[rng() % 3];
                    break;
                case 1:
                    changed.erase(at, 1);
                    break;
                default:
                    changed.insert(at, 1, static_cast<char>(byte(rng)));
                }
            }
            receiveBody(changed, chatClass);
        }
    };
    for (const std::string& body : bodies) {
        mutate(body, true);
    }
    for (const std::string& body : fileOffers) {
        mutate(body, false);
    }
    // The changed packets got past the framing into the handlers.
    EXPECT_GT(ann.view.lines.size(), 100u);
}

} // namespace
