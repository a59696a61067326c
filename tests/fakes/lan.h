#pragma once

#include "natterby/protocol/chat.h"
#include "tests/fakes/recordingview.h"
#include "tests/fakes/seams.h"
#include "tests/fakes/tempfolder.h"

#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace fakes {

// The packets on their way, each with the address it came from.
using PacketQueue = std::deque<std::pair<std::string, std::uint32_t>>;

// Where every peer's executables are: apart from the program folder, as in an installed package.
constexpr std::string_view kPackageFolder = "/usr/lib/natterby/";

// One running chat on the in-memory network, with recording fakes for every seam and a program
// folder of its own.
class Peer : public natterby::transport::PacketSink {
public:
    using Setup = std::function<void(natterby::settings::Settings&)>;

    Peer(PacketQueue& network, const std::string& nick, const Setup& setup, unsigned seed)
        : lan(network), settings([&] {
              natterby::settings::Settings initial;
              initial.nicks.current = nick;
              initial.channels.pathProto = folder.folder();
              if (setup) {
                  setup(initial);
              }
              return initial;
          }()),
          settingsFile(folder.file("Interf.ini")), random(seed),
          framing(*this, [this] { return static_cast<int>(random() % 95); }),
          chat(view, {framing, settings, settingsFile, texts, sound, launcher, host, clock,
                      [this](int bound) { return static_cast<int>(random() % bound); }, couriel,
                      codePage, folder.folder(), std::string(kPackageFolder)}) {
        host.computer = "PC-" + nick;
    }

    std::optional<natterby::transport::ESocketError> sendPacket(std::string_view packet) override {
        sent.emplace_back(packet);
        if (connected) {
            lan.emplace_back(std::string(packet), address);
        }
        return std::nullopt;
    }

    PacketQueue& lan;
    TempFolder folder;
    natterby::settings::Settings settings;
    common::ProfileFile settingsFile;
    natterby::protocol::ChatTexts texts;
    RecordingView view;
    RecordingSound sound;
    RecordingLauncher launcher;
    FixedHost host;
    FixedClock clock;
    RecordingCouriel couriel;
    common::CodePage codePage{"CP1251"};
    std::mt19937 random;
    natterby::transport::Framing framing;
    natterby::protocol::Chat chat;
    // The packets this peer sent, in order.
    std::vector<std::string> sent;
    // The IPv4 address its packets come from: 10.0.0.1 for the first peer, and so on.
    std::uint32_t address = 0;
    // Cleared when the peer vanishes without a word, as a computer that is switched off or a
    // program that crashes: it then hears nothing, and what it sends is lost.
    bool connected = true;
};

// Hands every packet to every peer, the sender included, in the order they were sent.
class Lan {
public:
    Peer& add(const std::string& nick, const Peer::Setup& setup = {}) {
        peers_.push_back(std::make_unique<Peer>(queue_, nick, setup, seed_++));
        peers_.back()->address = 0x0A000000 + static_cast<std::uint32_t>(peers_.size());
        return *peers_.back();
    }

    // Delivers until no packet is left; a bound stops a storm of answers that never ends.
    void run(int maxPackets = 10000) {
        while (!queue_.empty() && maxPackets-- > 0) {
            const auto [packet, source] = std::move(queue_.front());
            queue_.pop_front();
            for (const auto& peer : peers_) {
                std::string copy = packet;
                if (peer->connected) {
                    peer->chat.receive(copy, source);
                }
            }
        }
    }

    // Drops what is queued, as a network that lost it.
    void drop() { queue_.clear(); }

private:
    std::vector<std::unique_ptr<Peer>> peers_;
    PacketQueue queue_;
    unsigned seed_ = 1;
};

// Every peer joins "#Main" as at start, and the joins are delivered.
inline void startInMain(Lan& lan, std::initializer_list<Peer*> peers) {
    for (Peer* peer : peers) {
        peer->chat.joinAtStart("#Main");
    }
    lan.run();
}

inline std::vector<std::string> rosterNicks(const Peer& peer) {
    std::vector<std::string> nicks;
    for (const auto& row : peer.chat.roster().rows()) {
        nicks.push_back(row.nick);
    }
    return nicks;
}

// The state image of the nick's row; 0 when there is none.
inline int stateImage(const Peer& peer, std::string_view nick) {
    const int row = peer.chat.roster().find(nick);
    return row < 0 ? 0 : peer.chat.roster().row(row).stateImage;
}

} // namespace fakes
