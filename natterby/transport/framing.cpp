#include "natterby/transport/framing.h"

#include <algorithm>
#include <new>
#include <openssl/evp.h>

namespace natterby::transport {

Framing::Framing(PacketSink& sink, RandomSource random)
    : sink_(sink), random_(std::move(random)), context_(EVP_MD_CTX_new()) {
    // The digest is chosen once here; every packet then re-initialises the same context with
    // it, which spares OpenSSL a look-up of the algorithm per packet.
    if (context_ == nullptr || EVP_DigestInit_ex(context_, EVP_sha512(), nullptr) != 1) {
        EVP_MD_CTX_free(context_);
        throw std::bad_alloc();
    }
    packet_.reserve(256);
}

Framing::~Framing() {
    EVP_MD_CTX_free(context_);
}

void Framing::send(std::string_view body, bool chatClass) {
    if (!networking_) {
        return;
    }
    packet_.assign(1, chatClass ? 'T' : 'Y');
    for (std::size_t i = 1; i < kHeaderLength; ++i) {
        packet_ += static_cast<char>(32 + static_cast<unsigned>(random_()) % 95);
    }
    lastSent_.assign(packet_);
    if (!deriveKey(lastSent_)) {
        return;
    }
    packet_.append(body);
    scramble(std::span<char>(packet_).subspan(kHeaderLength));
    const std::optional<ESocketError> error = sink_.sendPacket(packet_);
    // Only the IPX transport's failure counts; it stops sending until an IPX datagram arrives.
    if (error && ipxTransport_) {
        networking_ = false;
    }
}

std::optional<AcceptedPacket> Framing::accept(std::span<char> datagram) {
    const std::string_view header(datagram.data(), std::min(datagram.size(), kHeaderLength));
    if (header == lastReceived_) {
        return std::nullopt;
    }
    lastReceived_.assign(header);
    if (datagram.size() <= kHeaderLength || !deriveKey(header)) {
        return std::nullopt;
    }
    scramble(datagram.subspan(kHeaderLength));
    const char messageClass = datagram[0];
    if (messageClass != 'T' && messageClass != 'Y') {
        return std::nullopt;
    }
    return AcceptedPacket{messageClass, datagram[kHeaderLength]};
}

bool Framing::deriveKey(std::string_view header) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    if (EVP_DigestInit_ex2(context_, nullptr, nullptr) != 1 ||
        EVP_DigestUpdate(context_, header.data(), header.size()) != 1 ||
        EVP_DigestFinal_ex(context_, digest, nullptr) != 1) {
        return false;
    }
    // Digest bytes 0 and 63 are never used.
    std::copy(digest + 1, digest + 1 + key_.size(), key_.begin());
    return true;
}

void Framing::scramble(std::span<char> body) const {
    for (std::size_t start = 0; start < body.size(); start += key_.size()) {
        const std::size_t length = std::min(key_.size(), body.size() - start);
        for (std::size_t i = 0; i < length; ++i) {
            body[start + i] = static_cast<char>(body[start + i] ^ key_[i]);
        }
    }
}

} // namespace natterby::transport
