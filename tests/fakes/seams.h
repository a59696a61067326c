#pragma once

#include "natterby/protocol/chat.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace fakes {

struct PlayedSound {
    int slot;
    int frequency;
    int milliseconds;
    friend bool operator==(const PlayedSound&, const PlayedSound&) = default;
};

class RecordingSound : public natterby::protocol::SoundPlayer {
public:
    std::vector<PlayedSound> played;
    void play(int slot, natterby::settings::Tone tone) override {
        played.push_back({slot, tone.frequency, tone.milliseconds});
    }
};

class RecordingLauncher : public platform::Launcher {
public:
    std::vector<std::pair<std::string, std::vector<std::string>>> started;
    std::vector<std::string> opened;
    // Set: programs fail to start for this reason.
    std::optional<std::string> failure;
    std::optional<std::string> startProgram(const std::string& program,
                                            const std::vector<std::string>& arguments) override {
        if (!failure) {
            started.emplace_back(program, arguments);
        }
        return failure;
    }
    void openWithDefaultAction(const std::string& target) override { opened.push_back(target); }
};

class FixedHost : public platform::HostInfo {
public:
    std::string computer = "PC1";
    std::vector<std::string> addressList{"192.168.0.10"};
    std::string computerName() const override { return computer; }
    std::string userName() const override { return "ann"; }
    std::vector<std::string> addresses() const override { return addressList; }
    // The address each peer is reached from; none for a peer missing here.
    std::map<std::uint32_t, std::string> routes;
    std::optional<std::string> addressToward(std::uint32_t peer) const override {
        const auto route = routes.find(peer);
        return route == routes.end() ? std::nullopt : std::optional(route->second);
    }
    std::optional<std::uint64_t> freeBytes(const std::string&) const override {
        return std::uint64_t{1} << 30;
    }
};

class FixedClock : public platform::Clock {
public:
    common::LocalTime now() const override { return {2026, 12, 6, 9, 5, 7}; }
};

class RecordingCouriel : public natterby::protocol::CourielLink {
public:
    struct Message {
        int window, code, value;
        friend bool operator==(const Message&, const Message&) = default;
    };
    std::vector<Message> sent;
    void send(int window, int code, int value) override { sent.push_back({window, code, value}); }
};

} // namespace fakes
