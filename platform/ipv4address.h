#pragma once

#include <cstdint>
#include <netinet/in.h>

namespace platform {

// An IPv4 socket address from a host-order address and port.
inline sockaddr_in ipv4SocketAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(address);
    return a;
}

} // namespace platform
