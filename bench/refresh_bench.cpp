// A refresh storm at one copy: a refresh request that clears its roster, then the answers of
// 1,000 peers, each a row inserted in its place, all through the whole receive path with real
// framing. Answers to the own request are added as they come; answers to another peer's request
// (Sincron on) are first looked for among the rows. The goal is a whole storm in under 20 ms.
#include "natterby/protocol/messages.h"
#include "tests/fakes/quietchat.h"
#include "tests/fakes/tempfolder.h"

#include <benchmark/benchmark.h>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using natterby::transport::Framing;

constexpr int kPeers = 1000;

class Capture : public natterby::transport::PacketSink {
public:
    std::optional<natterby::transport::ESocketError> sendPacket(std::string_view packet) override {
        packets.emplace_back(packet);
        return std::nullopt;
    }
    std::vector<std::string> packets;
};

// Nicks of three to ten letters, as varied as people choose them.
std::string randomNick(std::mt19937& random) {
    std::string nick;
    const int length = 3 + static_cast<int>(random() % 8);
    for (int i = 0; i < length; ++i) {
        nick += static_cast<char>((i == 0 ? 'A' : 'a') + random() % 26);
    }
    return nick;
}

// The request, then one answer per peer, framed by the other copies.
std::vector<std::string> storm(std::string_view requester) {
    Capture capture;
    std::mt19937 random(7);
    Framing peers(capture, [&random] { return static_cast<int>(random() % 95); });
    peers.send(natterby::protocol::refreshRequest(requester), true);
    std::set<std::string> nicks;
    while (nicks.size() < kPeers) {
        if (const auto [nick, fresh] = nicks.insert(randomNick(random)); fresh) {
            peers.send(natterby::protocol::refreshAnswer(requester, *nick, '0', '1'), true);
        }
    }
    return capture.packets;
}

void receiveStorm(benchmark::State& state, std::string_view requester) {
    const TempFolder folder;
    const natterby::protocol::ChatTexts texts;
    const common::CodePage codePage("CP1251");
    natterby::settings::Settings settings;
    settings.nicks.current = "Ann";
    fakes::QuietChat quiet(texts, codePage, folder.folder(), settings);
    quiet.chat.joinAtStart("#Main");

    const std::vector<std::string> packets = storm(requester);
    std::vector<std::string> buffers;
    for (auto _ : state) {
        // Receiving unscrambles in place: every storm starts from fresh copies.
        state.PauseTiming();
        buffers = packets;
        state.ResumeTiming();
        for (std::string& buffer : buffers) {
            quiet.chat.receive(std::span<char>(buffer.data(), buffer.size()));
        }
    }
    if (quiet.chat.roster().size() != kPeers) {
        state.SkipWithError("the roster did not take every answer");
    }
    state.SetItemsProcessed(state.iterations() * kPeers);
}

void BM_StormAnsweringOwnRequest(benchmark::State& state) {
    receiveStorm(state, "Ann");
}
BENCHMARK(BM_StormAnsweringOwnRequest)->Unit(benchmark::kMillisecond);

void BM_StormAnsweringAnotherRequest(benchmark::State& state) {
    receiveStorm(state, "Bob");
}
BENCHMARK(BM_StormAnsweringAnotherRequest)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
