// The bytes of every kind of datagram, and hostile and broken datagrams through the whole receive
// path. Each received datagram lies in a heap block of exactly its size, so that under
// AddressSanitizer any read past its end fails the run.
#include "tests/fakes/lan.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <random>

namespace {

using namespace natterby::protocol;
using natterby::settings::Settings;

// Bytes written out by hand, '|' standing for the zero byte that ends a text.
std::string wire(std::string_view bytes) {
    std::string result(bytes);
    std::replace(result.begin(), result.end(), '|', '\0');
    return result;
}

struct Catalogued {
    char messageClass;
    std::string body;
    std::string_view bytes;
};

const Catalogued kCatalogue[] = {
    {'T', refreshRequest("Ann"), "0Ann|"},
    {'T', refreshAnswer("Ann", "Bob", '2', '1'), "1Ann|Bob|21"},
    {'T', chatLine("#Main", "Ann", "hi"), "2#Main|Ann|hi|"},
    {'T', renameNick("Ann", "Anna", '1'), "3Ann|Anna|1"},
    {'T', join("Ann", "#Main", '0', '1'), "4Ann|#Main|01"},
    {'T', leave("Ann", "#Cats", '0'), "5Ann|#Cats|0"},
    {'T', privateMessage("Ann", "Bob", "psst"), "6Ann|Bob|psst|"},
    {'T', confirmation('3', "Bob", "Ann", '0', "gone"), "73Bob|Ann|0gone|"},
    {'T', remoteExecute("Ann", "Bob", "calc", "pw"), "8Ann|Bob|calc|pw|"},
    {'T', remoteExecuteConfirmation("Ann", "Bob"), "9Ann|Bob||"},
    {'T', actionLine("#Main", "Ann", " waves"), "A#Main|Ann| waves|"},
    {'T', topicChange("#Main", ""), "B#Main||"},
    {'T', topicAnswer("Ann", "#Main", "news (Bob) "), "CAnn|#Main|news (Bob) |"},
    {'T', statusChange("Ann", '2', '1', "brb"), "DAnn|21brb|"},
    {'T', massMessage("Ann", "Bob", "all"), "EAnn|Bob|all|"},
    {'T', informationRequest("Bob", "Ann"), "FBob|Ann|"},
    {'T', informationAnswer("Ann", "Bob", "PC7", "bob", "10.0.0.7", "#Main#", ""),
     "GAnn|Bob|PC7|bob|10.0.0.7|#Main#||"},
    {'T', soundCall("Bob", "Ann"), "H0Bob|Ann|"},
    {'T', soundCallAnswer("Ann", "Bob", '0'), "H1Ann|Bob|0"},
    {'T', channelSoundCall("Ann", "#Main"), "IAnn|1.wav|#Main|"},
    {'T', talkInvitation("Ann", "Bob", '1'), "J0Ann|Bob|1"},
    {'T', talkEnd("Ann", "Bob", '1'), "J1Ann|Bob|1"},
    {'T', talkLine("Ann", "Bob", "yo"), "J2Ann|Bob|yo|"},
    {'T', talkAction("Ann", "Bob", " nods"), "J3Ann|Bob| nods|"},
    {'T', memberAnswer("Ann", "#Main", "Bob", '0'), "KAnn|#Main|Bob|0"},
    {'T', memberRequest("Ann", "#Main"), "LAnn|#Main|"},
    {'T', windowVisibility("Ann", '0'), "MAnn|0"},
    {'T', channelListRequest("Ann"), "NAnn|"},
    {'T', channelListAnswer("Ann", "#Main#Cats#"), "OAnn|#Main#Cats#|"},
    {'T', probe("Bob", "Ann", "42"), "P0Bob|Ann|42|"},
    {'T', probeAnswer("Ann", "Bob", "42"), "P1Ann|Bob|42|"},
    {'Y', fileOffer("Bob", "Ann"), "RBob|Ann|"},
    {'Y', fileOfferAnswer("Ann", "Bob", '1'), "SAnn|Bob|1"},
    {'Y', receiverAddress("Ann", "Bob", "10.0.0.7"), "TAnn|Bob|10.0.0.7|"},
};

// The layouts the fuzz tests read by must read back what the builders wrote.
TEST(Catalogue, EveryKindHasItsBytesItsLayoutReadsThemBackAndAZeroByteEndsAText) {
    EXPECT_EQ(std::size(kCatalogue), messageLayouts().size());
    for (const Catalogued& c : kCatalogue) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(c.body, wire(c.bytes));
        const auto layout = std::ranges::find_if(messageLayouts(), [&](const MessageLayout& l) {
            return l.messageClass == c.messageClass && c.body.starts_with(l.code);
        });
        ASSERT_NE(layout, messageLayouts().end());
        const std::string datagram = std::string(1, c.messageClass) + "123456789" + c.body;
        FieldReader reader(datagram, 10 + layout->code.size());
        std::string rebuilt(layout->code);
        for (const char kind : layout->fields) {
            if (kind == 't') {
                rebuilt += reader.text();
                rebuilt += '\0';
            } else {
                const std::optional<char> character = reader.character();
                ASSERT_TRUE(character);
                rebuilt += *character;
            }
        }
        EXPECT_EQ(rebuilt, c.body);
    }
    // A zero byte inside a text ends it: otherwise the rest would be read as the fields after it.
    EXPECT_EQ(chatLine("#Main", "Ann", wire("hi|#Other|Bob")), wire("2#Main|Ann|hi|"));
    EXPECT_EQ(statusChange(wire("A|nn"), '0', '0', "x"), wire("DA|00x|"));
}

// The catalogue above reads every well-formed field; these are the cut and overrun ones.
TEST(FieldReader, AnUnterminatedTextEndsAtTheEndAndNoReadPassesIt) {
    const std::string cut = wire("T1234567892#Main|Ann");
    FieldReader unterminated(cut, 11);
    EXPECT_EQ(unterminated.text(), "#Main");
    EXPECT_EQ(unterminated.text(), "Ann");
    EXPECT_EQ(unterminated.position(), 17u);
    EXPECT_EQ(unterminated.text(), "Ann");
    EXPECT_EQ(unterminated.character(), 'A');
    EXPECT_EQ(unterminated.text(), "nn");

    for (std::size_t position : {11u, 12u, 500u}) {
        FieldReader past(std::string_view("T123456789H"), position);
        EXPECT_EQ(past.text(), "");
        EXPECT_EQ(past.character(), std::nullopt);
        EXPECT_EQ(past.position(), position);
    }
}

TEST(ChatDatagrams, RandomCutAndMutatedDatagramsOfEveryKind) {
    fakes::Lan lan;
    // Every switch that lets a message reach further is on.
    fakes::Peer& ann = lan.add("Ann", [](Settings& s) {
        s.execute.razresh = true;
        s.channels.logged = "#Main\n#Work\n";
        s.view.balloonShow = true;
    });
    fakes::Peer& bob = lan.add("Bob");
    std::mt19937 rng{2049};
    const auto receive = [&](std::string_view datagram) {
        const auto block = std::make_unique<char[]>(datagram.size());
        std::copy(datagram.begin(), datagram.end(), block.get());
        ann.chat.receive(std::span<char>(block.get(), datagram.size()));
        lan.drop(); // the answers go nowhere
    };
    // Frames a body as Bob would send it, then receives it.
    const auto receiveBody = [&](const std::string& body, char messageClass) {
        bob.framing.send(body, messageClass == 'T');
        receive(bob.sent.back());
        bob.sent.clear();
    };
    // A body of the layout's kind, its fields drawn from what the handlers compare them with.
    const auto randomBody = [&](const MessageLayout& layout) {
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
    };
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
