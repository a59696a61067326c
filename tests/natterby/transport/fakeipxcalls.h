#pragma once

#include "natterby/transport/ipxsocketcalls.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace natterby::transport {

// Records every call as a line of text and fails the one named in failOn.
class FakeIpxCalls : public IpxSocketCalls {
public:
    static constexpr Handle kHandle = 77;

    Handle socket(int family, int type, int protocol) override {
        return record("socket " + number(family) + " " + number(type) + " " + number(protocol),
                      kHandle);
    }
    int bind(Handle, const IpxAddress& address, int length) override {
        return record("bind " + text(address) + " " + number(length));
    }
    int setsockopt(Handle, int level, int option, std::int32_t value) override {
        return record("setsockopt " + hex(level) + " " + hex(option) + " " + number(value));
    }
    int sendto(Handle, std::string_view bytes, const IpxAddress& to, int length) override {
        return record("sendto " + std::string(bytes) + " " + text(to) + " " + number(length),
                      static_cast<int>(bytes.size()));
    }
    int recvfrom(Handle, std::span<char> buffer, IpxAddress& from, int& length) override {
        const std::size_t n = std::min(incoming.size(), buffer.size());
        std::copy_n(incoming.begin(), n, buffer.begin());
        from = bound;
        length = kIpxAddressLength;
        return record("recvfrom " + number(static_cast<int>(buffer.size())), static_cast<int>(n));
    }
    int closesocket(Handle) override { return record("closesocket"); }
    int asyncSelect(Handle, int events, Notification notify) override {
        this->notify = std::move(notify);
        return record("asyncSelect " + number(events));
    }
    int lastError() const override { return error; }

    std::vector<std::string> calls;
    std::string failOn; // a call, as recorded, that fails
    int error = 10048;
    IpxAddress bound{6, {0, 0, 0, 9}, {1, 2, 3, 4, 5, 6}, {0x81, 0x99}};
    std::string incoming;
    Notification notify;

    static std::string text(const IpxAddress& a) {
        std::string s = number(a.family) + " net";
        for (auto b : a.network) {
            s += " " + hex(b);
        }
        s += " node";
        for (auto b : a.node) {
            s += " " + hex(b);
        }
        return s + " socket " + hex(a.socket[0]) + " " + hex(a.socket[1]);
    }

private:
    static std::string number(int n) { return std::to_string(n); }
    static std::string hex(int n) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(n));
        return buffer;
    }
    int record(std::string call, int result = 0) {
        const bool fails = call == failOn;
        calls.push_back(std::move(call));
        return fails ? -1 : result;
    }
};

} // namespace natterby::transport
