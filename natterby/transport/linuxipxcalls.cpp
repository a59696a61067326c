#include "natterby/transport/linuxipxcalls.h"

#include "platform/wsaerrors.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netipx/ipx.h>
#include <sys/socket.h>
#include <unistd.h>

namespace natterby::transport {

namespace {

sockaddr_ipx toLinux(const IpxAddress& address) {
    sockaddr_ipx a{};
    a.sipx_family = AF_IPX;
    std::memcpy(&a.sipx_network, address.network.data(), address.network.size());
    std::memcpy(a.sipx_node, address.node.data(), address.node.size());
    std::memcpy(&a.sipx_port, address.socket.data(), address.socket.size());
    return a;
}

IpxAddress fromLinux(const sockaddr_ipx& a) {
    IpxAddress address;
    std::memcpy(address.network.data(), &a.sipx_network, address.network.size());
    std::memcpy(address.node.data(), a.sipx_node, address.node.size());
    std::memcpy(address.socket.data(), &a.sipx_port, address.socket.size());
    return address;
}

} // namespace

LinuxIpxCalls::LinuxIpxCalls() = default;

LinuxIpxCalls::~LinuxIpxCalls() = default;

int LinuxIpxCalls::fail(int code) {
    lastError_ = code;
    return -1;
}

int LinuxIpxCalls::failWithErrno() {
    return fail(platform::wsaCodeFromErrno(errno));
}

IpxSocketCalls::Handle LinuxIpxCalls::socket(int family, int type, int protocol) {
    if (family != kAfIpx) {
        return fail(platform::wsaCodeFromErrno(EAFNOSUPPORT));
    }
    if (type != kSockDgram) {
        return fail(platform::wsaCodeFromErrno(ESOCKTNOSUPPORT));
    }
    if (protocol != kNsprotoIpx) {
        return fail(platform::wsaCodeFromErrno(EPROTONOSUPPORT));
    }
    const int fd = ::socket(AF_IPX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    return fd < 0 ? failWithErrno() : fd;
}

int LinuxIpxCalls::bind(Handle handle, const IpxAddress& address, int length) {
    if (length < kIpxAddressLength) {
        return fail(platform::wsaCodeFromErrno(EFAULT));
    }
    const sockaddr_ipx a = toLinux(address);
    return ::bind(handle, reinterpret_cast<const sockaddr*>(&a), sizeof a) < 0 ? failWithErrno()
                                                                               : 0;
}

int LinuxIpxCalls::setsockopt(Handle handle, int level, int option, std::int32_t value) {
    if (level == kSolSocket && option == kSoBroadcast) {
        const int on = value != 0 ? 1 : 0;
        return ::setsockopt(handle, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) < 0 ? failWithErrno()
                                                                                  : 0;
    }
    if (level == kNsprotoIpx && option == kIpxPtype) {
        const int type = value;
        return ::setsockopt(handle, SOL_IPX, IPX_TYPE, &type, sizeof type) < 0 ? failWithErrno()
                                                                               : 0;
    }
    // Linux neither filters by packet type nor hands over the IPX header, so asking for just
    // that state succeeds and asking for the other fails.
    if (level == kNsprotoIpx && option == kIpxStopFilterPtype) {
        return 0;
    }
    if (level == kNsprotoIpx && option == kIpxRecvHdr && value == 0) {
        return 0;
    }
    return fail(platform::kWsaENoProtoOpt);
}

int LinuxIpxCalls::sendto(Handle handle, std::string_view bytes, const IpxAddress& to, int length) {
    if (length < kIpxAddressLength) {
        return fail(platform::wsaCodeFromErrno(EFAULT));
    }
    const sockaddr_ipx a = toLinux(to);
    const ssize_t sent = ::sendto(handle, bytes.data(), bytes.size(), 0,
                                  reinterpret_cast<const sockaddr*>(&a), sizeof a);
    if (sent >= 0) {
        return static_cast<int>(sent);
    }
    const int result = failWithErrno();
    if (lastError_ == platform::kWsaEWouldBlock) {
        if (auto it = watches_.find(handle); it != watches_.end() && it->second->write) {
            it->second->write->setEnabled(true);
        }
    }
    return result;
}

int LinuxIpxCalls::recvfrom(Handle handle, std::span<char> buffer, IpxAddress& from, int& length) {
    sockaddr_ipx a{};
    socklen_t size = sizeof a;
    // MSG_TRUNC gives the datagram's full length, so that a cut one fails as on Windows.
    const ssize_t received = ::recvfrom(handle, buffer.data(), buffer.size(), MSG_TRUNC,
                                        reinterpret_cast<sockaddr*>(&a), &size);
    if (received < 0) {
        return failWithErrno();
    }
    if (static_cast<std::size_t>(received) > buffer.size()) {
        return fail(platform::kWsaEMsgSize);
    }
    if (length >= kIpxAddressLength) {
        from = fromLinux(a);
        length = kIpxAddressLength;
    }
    return static_cast<int>(received);
}

int LinuxIpxCalls::closesocket(Handle handle) {
    watches_.erase(handle);
    return ::close(handle) < 0 ? failWithErrno() : 0;
}

int LinuxIpxCalls::asyncSelect(Handle handle, int events, Notification notify) {
    watches_.erase(handle);
    if (events == 0) {
        return 0;
    }
    const int flags = ::fcntl(handle, F_GETFL);
    if (flags < 0 || ::fcntl(handle, F_SETFL, flags | O_NONBLOCK) < 0) {
        return failWithErrno();
    }
    auto watch = std::make_unique<Watch>();
    watch->notify = std::move(notify);
    Watch* w = watch.get();
    // Each report works on a copy of the handler: it may cancel the notifications, and with
    // them this watch.
    if (events & kFdRead) {
        w->read = std::make_unique<QSocketNotifier>(handle, QSocketNotifier::Read);
        QObject::connect(w->read.get(), &QSocketNotifier::activated, [w] {
            const Notification notify = w->notify;
            notify(kFdRead, 0);
        });
    }
    if (events & kFdWrite) {
        w->write = std::make_unique<QSocketNotifier>(handle, QSocketNotifier::Write);
        QObject::connect(w->write.get(), &QSocketNotifier::activated, [w] {
            w->write->setEnabled(false);
            const Notification notify = w->notify;
            notify(kFdWrite, 0);
        });
    }
    watches_[handle] = std::move(watch);
    return 0;
}

} // namespace natterby::transport
