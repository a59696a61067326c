#pragma once

#include "natterby/settings/startupload.h"

#include <string>
#include <vector>

// Records every effect of the start-up load as one line, in order.
class FakeStartupHost : public natterby::settings::StartupHost {
public:
    static constexpr natterby::settings::Bounds kBounds{195, 115, 686, 469};
    static natterby::settings::FontStyle font() {
        return {"MS Sans Serif", 11, -2147483640, false, false};
    }

    std::vector<std::string> calls;
    std::optional<std::string> ipxError;

    std::string computerName() override { return "DESK-7"; }
    natterby::settings::Bounds windowBounds() override { return kBounds; }
    natterby::settings::FontStyle mainFont() override { return font(); }
    std::optional<std::string> openIpx(std::uint16_t socket) override {
        calls.push_back("ipx " + std::to_string(socket));
        return ipxError;
    }
    void openUdp(std::int32_t port, const std::string& address) override {
        calls.push_back("udp " + std::to_string(port) + " " + address);
    }
    void showMessage(const std::string& text) override { calls.push_back("message " + text); }
    void applyLanguage(const std::string& file) override { calls.push_back("language " + file); }
    void addToChannelMenu(const std::string& channel) override {
        calls.push_back("menu " + channel);
    }
    void joinChannel(const std::string& channel) override { calls.push_back("join " + channel); }
};
