#pragma once

#include "natterby/transport/ipxsocketcalls.h"

#include <map>
#include <memory>

class QSocketNotifier;

namespace natterby::transport {

// The IPX socket calls on Linux. Kernels since 4.18 have no IPX, so creating a socket fails
// there with WSAEAFNOSUPPORT. Notifications arrive through socket notifiers on the Qt event
// loop; as with Windows Sockets, a write notification comes once after registration and again
// only after a send that would have blocked.
class LinuxIpxCalls : public IpxSocketCalls {
public:
    LinuxIpxCalls();
    ~LinuxIpxCalls() override;

    Handle socket(int family, int type, int protocol) override;
    int bind(Handle handle, const IpxAddress& address, int length) override;
    int setsockopt(Handle handle, int level, int option, std::int32_t value) override;
    int sendto(Handle handle, std::string_view bytes, const IpxAddress& to, int length) override;
    int recvfrom(Handle handle, std::span<char> buffer, IpxAddress& from, int& length) override;
    int closesocket(Handle handle) override;
    int asyncSelect(Handle handle, int events, Notification notify) override;
    int lastError() const override { return lastError_; }

private:
    struct Watch {
        Notification notify;
        std::unique_ptr<QSocketNotifier> read;
        std::unique_ptr<QSocketNotifier> write;
    };

    int fail(int code);
    int failWithErrno();

    std::map<Handle, std::unique_ptr<Watch>> watches_;
    int lastError_ = 0;
};

} // namespace natterby::transport
