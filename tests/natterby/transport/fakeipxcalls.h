#pragma once

#include "natterby/transport/ipxsocketcalls.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace natterby::transport {

// Records every call as a line of text, its numbers in hex, and fails the one named in failOn.
class FakeIpxCalls : public IpxSocketCalls {
public:
    Handle socket(int family, int type, int protocol) override {
        return record("socket" + hex({family, type, protocol}), 77);
    }
    int bind(Handle, const IpxAddress& address, int length) override {
        return record("bind" + text(address) + hex({length}));
    }
    int setsockopt(Handle, int level, int option, std::int32_t value) override {
        return record("setsockopt" + hex({level, option, value}));
    }
    int sendto(Handle, std::string_view bytes, const IpxAddress& to, int length) override {
        return record("sendto " + std::string(bytes) + text(to) + hex({length}),
                      static_cast<int>(bytes.size()));
    }
    int recvfrom(Handle, std::span<char> buffer, IpxAddress& from, int& length) override {
        const std::size_t n = std::min(incoming.size(), buffer.size());
        std::copy_n(incoming.begin(), n, buffer.begin());
        from = bound;
        length = kIpxAddressLength;
        return record("recvfrom" + hex({static_cast<int>(buffer.size())}), static_cast<int>(n));
    }
    int closesocket(Handle) override { return record("closesocket"); }
    int asyncSelect(Handle, int events, Notification notify) override {
        this->notify = std::move(notify);
        return record("asyncSelect" + hex({events}));
    }
    int lastError() const override { return error; }

    // As " 6 net 0 0 0 9 node 1 2 3 4 5 6 socket 81 99".
    static std::string text(const IpxAddress& a) {
        const auto bytes = [](const auto& array) {
            return hex(std::vector<int>(array.begin(), array.end()));
        };
        return hex({a.family}) + " net" + bytes(a.network) + " node" + bytes(a.node) + " socket" +
               bytes(a.socket);
    }

    std::vector<std::string> calls;
    std::string failOn; // a call, as recorded, that fails
    int error = 10048;
    IpxAddress bound{6, {0, 0, 0, 9}, {1, 2, 3, 4, 5, 6}, {0x81, 0x99}};
    std::string incoming;
    Notification notify;

private:
    static std::string hex(const std::vector<int>& numbers) {
        std::string text;
        for (const int n : numbers) {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, " %X", static_cast<unsigned>(n));
            text += buffer;
        }
        return text;
    }
    int record(std::string call, int result = 0) {
        const bool fails = call == failOn;
        calls.push_back(std::move(call));
        return fails ? -1 : result;
    }
};

} // namespace natterby::transport
