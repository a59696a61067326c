// Received chat lines per second through a whole chat (accept, dispatch, the line built and
// handed to a view that draws nothing), next to the bare framing accept of the same packets,
// which every line costs. The goal is at least 500,000 lines per second.
#include "natterby/protocol/messages.h"
#include "tests/fakes/quietchat.h"
#include "tests/fakes/tempfolder.h"

#include <array>
#include <benchmark/benchmark.h>
#include <cstring>
#include <string>

namespace {

using natterby::transport::Framing;

class Capture : public natterby::transport::PacketSink {
public:
    std::optional<natterby::transport::ESocketError> sendPacket(std::string_view packet) override {
        last.assign(packet);
        return std::nullopt;
    }
    std::string last;
};

// Two chat lines from another copy, used in turn so that neither is dropped as a repeat.
std::array<std::string, 2> chatLinePackets() {
    Capture capture;
    int next = 0;
    Framing peer(capture, [&next] { return next++ % 95; });
    std::array<std::string, 2> packets;
    for (std::string& packet : packets) {
        peer.send(natterby::protocol::chatLine("#Main", "Bob", "Is anyone up for lunch at noon?"),
                  true);
        packet = capture.last;
    }
    return packets;
}

// Accepting unscrambles in place, so every round starts from a fresh copy of the packet.
template <typename Receive> void receiveInTurn(benchmark::State& state, Receive&& receive) {
    const std::array<std::string, 2> packets = chatLinePackets();
    std::string buffer;
    std::size_t turn = 0;
    for (auto _ : state) {
        buffer.assign(packets[turn]);
        receive(std::span<char>(buffer.data(), buffer.size()));
        turn ^= 1;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_FramingAccept(benchmark::State& state) {
    Capture sink;
    Framing framing(sink, [] { return 0; });
    receiveInTurn(state, [&](std::span<char> datagram) {
        benchmark::DoNotOptimize(framing.accept(datagram));
    });
}
BENCHMARK(BM_FramingAccept)->MinWarmUpTime(0.5);

void BM_ChatLineDispatch(benchmark::State& state) {
    const TempFolder folder;
    const natterby::protocol::ChatTexts texts;
    const common::CodePage codePage("CP1251");
    natterby::settings::Settings settings;
    settings.nicks.current = "Ann";
    fakes::QuietChat quiet(texts, codePage, folder.folder(), settings);
    quiet.chat.joinAtStart("#Main");
    quiet.chat.windowShown(true);
    receiveInTurn(state, [&](std::span<char> datagram) { quiet.chat.receive(datagram); });
}
BENCHMARK(BM_ChatLineDispatch);

} // namespace

BENCHMARK_MAIN();
