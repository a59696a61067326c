// Packets per second through the framing, next to the floor that bounds them: one SHA-512 of a
// 10-byte header in a reused context, which every packet costs.
#include "natterby/transport/framing.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <string>

namespace {

using natterby::transport::Framing;

class NullSink : public natterby::transport::PacketSink {
public:
    std::optional<natterby::transport::ESocketError> sendPacket(std::string_view packet) override {
        benchmark::DoNotOptimize(packet.data());
        return std::nullopt;
    }
};

Framing::RandomSource counting() {
    return [n = 0]() mutable { return n++ % 95; };
}

void BM_Sha512Floor(benchmark::State& state) {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    EVP_DigestInit_ex(context, EVP_sha512(), nullptr);
    char header[] = "T!Az~09 q#";
    unsigned char digest[EVP_MAX_MD_SIZE];
    for (auto _ : state) {
        ++header[9];
        EVP_DigestInit_ex2(context, nullptr, nullptr);
        EVP_DigestUpdate(context, header, 10);
        EVP_DigestFinal_ex(context, digest, nullptr);
        benchmark::DoNotOptimize(digest);
    }
    EVP_MD_CTX_free(context);
    state.SetItemsProcessed(state.iterations());
}
// Measured first, on a processor not yet busy: a warm-up keeps the floor from reading low.
BENCHMARK(BM_Sha512Floor)->MinWarmUpTime(0.5);

void BM_Send(benchmark::State& state) {
    NullSink sink;
    Framing framing(sink, counting());
    const std::string body(static_cast<std::size_t>(state.range(0)), 'x');
    for (auto _ : state) {
        framing.send(body, true);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Send)->Arg(14)->Arg(600);

void BM_Accept(benchmark::State& state) {
    NullSink sink;
    Framing framing(sink, counting());
    const std::string body(static_cast<std::size_t>(state.range(0)), 'x');
    // Two packets in turn, so that neither is ever dropped as a repeat.
    std::string packets[2] = {"T!Az~09 q#" + body, "T#Az~09 q!" + body};
    std::size_t turn = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(framing.accept(packets[turn]));
        turn ^= 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Accept)->Arg(14)->Arg(600);

} // namespace

BENCHMARK_MAIN();
