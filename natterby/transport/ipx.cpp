#include "natterby/transport/ipx.h"

namespace natterby::transport {

namespace {

std::array<std::uint8_t, 2> networkOrder(std::uint16_t number) {
    return {static_cast<std::uint8_t>(number >> 8), static_cast<std::uint8_t>(number & 0xFF)};
}

} // namespace

IpxSocket::IpxSocket(IpxSocketCalls& calls) : calls_(calls) {}

IpxSocket::~IpxSocket() {
    onReceive_ = nullptr;
    close();
}

std::optional<ESocketError> IpxSocket::open() {
    if (isOpen()) {
        return std::nullopt;
    }
    handle_ = calls_.socket(kAfIpx, kSockDgram, kNsprotoIpx);
    if (handle_ == -1) {
        return lastError();
    }
    IpxAddress own;
    own.socket = networkOrder(ownSocketNumber_);
    if (calls_.bind(handle_, own, kIpxAddressLength) == -1) {
        return abandon(lastError());
    }
    // A socket whose options could not all be applied is closed as well, or the next open
    // would find it open and report success for a socket that never receives.
    struct Option {
        int level, option;
        std::int32_t value;
    };
    const Option options[] = {{kNsprotoIpx, kIpxPtype, kDefaultPacketType},
                              {kNsprotoIpx, kIpxStopFilterPtype, kDefaultFilterType},
                              {kSolSocket, kSoBroadcast, broadcast_ ? 1 : 0},
                              {kNsprotoIpx, kIpxRecvHdr, 0}};
    for (const Option& o : options) {
        if (std::optional<ESocketError> error = applyOption(o.level, o.option, o.value)) {
            return abandon(*error);
        }
    }
    if (calls_.asyncSelect(handle_, kFdRead | kFdWrite,
                           [this](int event, int error) { notify(event, error); }) == -1) {
        return abandon(lastError());
    }
    return std::nullopt;
}

std::optional<ESocketError> IpxSocket::send(std::string_view bytes) {
    if (!isOpen()) {
        return ESocketError::fromCode(platform::kWsaENotSock);
    }
    IpxAddress to;
    to.network = destinationNetwork_;
    to.node.fill(0xFF);
    to.socket = networkOrder(destinationSocketNumber_);
    if (calls_.sendto(handle_, bytes, to, kIpxAddressLength) == -1) {
        return lastError();
    }
    return std::nullopt;
}

std::optional<ESocketError> IpxSocket::close() {
    if (!isOpen()) {
        return std::nullopt;
    }
    // Notifications stop first, so that none arrives for a handle already given back.
    calls_.asyncSelect(handle_, 0, nullptr);
    const int result = calls_.closesocket(handle_);
    handle_ = -1;
    if (result == -1) {
        return lastError();
    }
    return std::nullopt;
}

std::optional<ESocketError> IpxSocket::setBroadcast(bool on) {
    broadcast_ = on;
    return isOpen() ? applyBroadcast() : std::nullopt;
}

std::optional<ESocketError> IpxSocket::applyBroadcast() {
    return applyOption(kSolSocket, kSoBroadcast, broadcast_ ? 1 : 0);
}

std::optional<ESocketError> IpxSocket::applyOption(int level, int option, std::int32_t value) {
    if (calls_.setsockopt(handle_, level, option, value) == -1) {
        return lastError();
    }
    return std::nullopt;
}

ESocketError IpxSocket::abandon(ESocketError error) {
    calls_.closesocket(handle_);
    handle_ = -1;
    return error;
}

void IpxSocket::notify(int event, int error) {
    if (error > 10000) {
        return;
    }
    if (event == kFdRead) {
        // A buffer per datagram, as a nested event loop in a handler may read the next one.
        std::array<char, kReceiveBufferSize> buffer;
        IpxAddress from;
        int fromLength = 16;
        const int received = calls_.recvfrom(handle_, buffer, from, fromLength);
        if (received == -1) {
            return;
        }
        if (onReceive_) {
            onReceive_(std::span<char>(buffer.data(), static_cast<std::size_t>(received)), from,
                       fromLength);
        }
    }
}

} // namespace natterby::transport
