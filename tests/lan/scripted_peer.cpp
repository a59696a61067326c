// A scripted chat peer for the LAN test and the load benchmarks: it speaks the chat's protocol
// through our own framing and message code, one command per run, and prints what it heard.
//
//   scripted_peer [--nick N] [--broadcast A] [--timeout S] [--private-share P] COMMAND ARGS...
//
//   refresh NICK...           send 0, wait for a 1 from each named copy
//   topic CHANNEL TEXT        send a topic change B
//   private NICK TEXT         send 6, wait for the 7 of NICK
//   info NICK                 send F, wait for the G of NICK
//   join CHANNEL COUNT        send 4, wait for COUNT topic answers C
//   leaves NICK CHANNEL...    wait for a 5 from NICK for every channel named
//   lines NICK CHANNEL COUNT  send COUNT chat lines, timing NICK's answers (see load())
//   flood NICK COUNT SECONDS  send the load mix (see flood()), timing NICK's answers
//
// Exit status 0 when what was waited for arrived, 1 when it did not, 2 for a usage error.
#include "natterby/protocol/messages.h"
#include "natterby/transport/framing.h"
#include "natterby/transport/packetsink.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <map>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <random>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace natterby;
using Clock = std::chrono::steady_clock;
using std::chrono::seconds;

struct Message {
    char code;
    std::vector<std::string> fields;
};
using Wanted = std::function<bool(const Message&)>;

// A chat port as a copy of the chat has it: bound to the chat port on every address, sending
// to the broadcast address, hearing its own packets too.
class Peer : public transport::PacketSink {
public:
    Peer(std::string ownNick, const std::string& broadcast) : nick(std::move(ownNick)) {
        fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        const int on = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
        // A flood and its answers must not be lost in our own socket.
        const int buffer = 8 << 20;
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
        ::setsockopt(fd_, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(8198);
        target_ = local;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
            ::inet_pton(AF_INET, broadcast.c_str(), &target_.sin_addr) != 1) {
            std::fprintf(stderr, "scripted_peer: cannot open the chat port\n");
            std::exit(1);
        }
    }
    ~Peer() override { ::close(fd_); }

    void send(const std::string& body) { framing_.send(body, true); }

    // The socket blocks while its send buffer is full, so a flood loses nothing here.
    std::optional<transport::ESocketError> sendPacket(std::string_view packet) override {
        if (::sendto(fd_, packet.data(), packet.size(), 0,
                     reinterpret_cast<const sockaddr*>(&target_), sizeof target_) < 0) {
            ++lost;
        }
        return std::nullopt;
    }

    // Hears messages until `wanted` takes one (true) or the deadline passes (false). Own
    // packets are heard too; the commands tell them apart by their fields.
    bool waitFor(Clock::time_point deadline, const Wanted& wanted) {
        std::array<char, 4096> buffer{};
        for (auto now = Clock::now(); now < deadline; now = Clock::now()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
                continue;
            }
            const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
            if (n <= 0) {
                continue;
            }
            const std::span<char> datagram(buffer.data(), static_cast<std::size_t>(n));
            const auto accepted = framing_.accept(datagram);
            const auto layouts = protocol::messageLayouts();
            const auto layout = std::find_if(layouts.begin(), layouts.end(), [&](const auto& l) {
                return accepted && l.messageClass == accepted->messageClass &&
                       l.code == std::string_view(&accepted->code, 1);
            });
            if (layout == layouts.end()) {
                continue;
            }
            protocol::FieldReader reader(datagram, transport::Framing::kHeaderLength + 1);
            Message message{accepted->code, {}};
            for (const char kind : layout->fields) {
                if (kind == 't') {
                    message.fields.emplace_back(reader.text());
                } else if (const std::optional<char> character = reader.character()) {
                    message.fields.emplace_back(1, *character);
                } else {
                    break; // cut short: dropped, as a copy drops it
                }
            }
            if (message.fields.size() == layout->fields.size() && wanted(message)) {
                return true;
            }
        }
        return false;
    }

    // Sends with `ask` and hears until `wanted` takes a message. A broadcast or a copy that is
    // behind can lose the ask, so it is sent again after `again` without an answer.
    bool ask(Clock::time_point deadline, Clock::duration again, const std::function<void()>& ask,
             const Wanted& wanted) {
        while (Clock::now() < deadline) {
            ask();
            if (waitFor(std::min(deadline, Clock::now() + again), wanted)) {
                return true;
            }
        }
        return false;
    }

    const std::string nick;
    long lost = 0;

private:
    int fd_ = -1;
    sockaddr_in target_{};
    std::mt19937 random_{std::random_device{}()};
    std::uniform_int_distribution<int> digit_{0, 94};
    transport::Framing framing_{*this, [this] { return digit_(random_); }};
};

double milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The names the fields of the messages the commands wait for are printed under, in wire order.
const std::map<char, std::vector<const char*>> kFieldNames = {
    {'1', {"requester", "nick", "status", "visibility"}},
    {'5', {"nick", "channel", "gender"}},
    {'7', {"status", "nick", "sender", "gender", "answer"}},
    {'C', {"joiner", "channel", "topic"}},
    {'G', {"requester", "nick", "computer", "user", "address", "channels", "answer"}},
};

// Sends `body` (unless empty), again after `again` without every answer, and hears messages
// `code` whose field `byField` is `by` until each key has come as their second field (a key named
// twice must come twice). Prints every message taken, a field a line, and the keys that did not
// come; the exit status.
int exchange(Peer& peer, Clock::time_point deadline, const std::string& body, Clock::duration again,
             char code, std::size_t byField, const std::string& by, std::vector<std::string> keys) {
    const auto ask = [&] {
        if (!body.empty()) {
            peer.send(body);
        }
    };
    peer.ask(deadline, again, ask, [&](const Message& m) {
        const auto key = m.code == code && m.fields[byField] == by
                             ? std::find(keys.begin(), keys.end(), m.fields[1])
                             : keys.end();
        if (key != keys.end()) {
            keys.erase(key);
            for (std::size_t i = 0; i < m.fields.size(); ++i) {
                std::printf("%s=%s\n", kFieldNames.at(m.code)[i], m.fields[i].c_str());
            }
        }
        return keys.empty();
    });
    for (const std::string& key : keys) {
        std::printf("missing %s\n", key.c_str());
    }
    return keys.empty() ? 0 : 1;
}

// Sends `count` packets, packet(i) the i-th, one every `spacing` seconds, while a 0 from
// "ProbeN" every 100 ms is timed to its 1 from `nick`. The probes go on after the last packet
// until one sent after it is answered: the copy handles datagrams in order, so it has then
// worked through its backlog. Prints the figures; 0 when the copy caught up.
int load(Peer& peer, const std::string& nick, long count, double spacing,
         Clock::time_point deadline, const std::function<std::string(long)>& packet) {
    const auto start = Clock::now();
    std::vector<Clock::time_point> probes; // when each was sent
    std::vector<double> latencies;         // of the probes sent while the packets went
    long sent = 0, confirmations = 0;
    auto firstAfter = std::numeric_limits<std::size_t>::max();
    const auto probe = [&] {
        // A nick of its own per probe, so that a late answer is never taken for a later one.
        peer.send(protocol::refreshRequest("Probe" + std::to_string(probes.size())));
        probes.push_back(Clock::now());
    };
    // True when a probe sent after the last packet is answered.
    const auto hear = [&](const Message& m) {
        if (m.code == '7' && m.fields[1] == nick && m.fields[2] == peer.nick) {
            ++confirmations;
        }
        const bool answer =
            m.code == '1' && m.fields[1] == nick && m.fields[0].starts_with("Probe");
        const auto n = answer ? std::strtoul(m.fields[0].c_str() + 5, nullptr, 10) : probes.size();
        if (n < probes.size() && n < firstAfter) {
            latencies.push_back(milliseconds(Clock::now() - probes[n]));
        }
        return n < probes.size() && n >= firstAfter;
    };
    for (auto nextProbe = start; sent < count;) {
        if (Clock::now() >= nextProbe) {
            probe();
            nextProbe += std::chrono::milliseconds(100);
        }
        const auto due = start + std::chrono::duration_cast<Clock::duration>(
                                     std::chrono::duration<double>(spacing * sent));
        if (Clock::now() < due) {
            peer.waitFor(std::min(due, nextProbe), hear);
            continue;
        }
        peer.send(packet(sent++));
    }
    const auto end = Clock::now();
    firstAfter = probes.size();
    const bool caughtUp = peer.ask(deadline, std::chrono::milliseconds(100), probe, hear);
    const double catchUp = caughtUp ? milliseconds(Clock::now() - end) : -1;
    // Late confirmations of the last private messages.
    peer.waitFor(Clock::now() + seconds(2), [&](const Message& m) {
        hear(m);
        return false;
    });
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double q) {
        return latencies.empty()
                   ? 0.0
                   : latencies[std::min(latencies.size() - 1,
                                        static_cast<std::size_t>(q * latencies.size()))];
    };
    std::printf("packets=%ld\nseconds=%.2f\nconfirmations=%ld\nprobes_sent=%zu\n"
                "probes_answered=%zu\nlatency_ms_median=%.2f\nlatency_ms_p95=%.2f\n"
                "latency_ms_max=%.2f\ncaught_up=%s\ncatch_up_ms=%.0f\nsend_failures=%ld\n",
                sent, std::chrono::duration<double>(end - start).count(), confirmations, firstAfter,
                latencies.size(), at(0.5), at(0.95), at(1.0), caughtUp ? "yes" : "no", catchUp,
                peer.lost);
    return caughtUp ? 0 : 1;
}

// The load mix: out of every 100 packets `privateShare` private messages to the copy, each with
// a text of its own ("pm N"), and of the rest 4/9 chat lines on an open channel (#Lab), 2/9 on
// a channel the copy has not joined (#Closed) and 3/9 refresh requests from other nicks.
int flood(Peer& peer, const std::string& nick, long count, double duration, int privateShare,
          Clock::time_point deadline) {
    long privates = 0;
    const int result = load(peer, nick, count, duration / count, deadline, [&](long i) {
        const long kind = i % 100;
        const std::string number = std::to_string(i);
        if (kind < privateShare) {
            return protocol::privateMessage(peer.nick, nick, "pm " + std::to_string(privates++));
        }
        if (kind < privateShare + (100 - privateShare) * 4 / 9) {
            return protocol::chatLine("#Lab", peer.nick, "open channel line " + number);
        }
        if (kind < privateShare + (100 - privateShare) * 6 / 9) {
            return protocol::chatLine("#Closed", peer.nick, "closed channel line " + number);
        }
        return protocol::refreshRequest("Flood" + std::to_string(i % 50));
    });
    std::printf("private_messages=%ld\n", privates);
    return result;
}

} // namespace

int main(int argc, char** argv) {
    std::map<std::string, std::string> options{{"--nick", "Peer"},
                                               {"--broadcast", "10.77.0.255"},
                                               {"--timeout", "15"},
                                               {"--private-share", "10"}};
    int i = 1;
    for (; i + 1 < argc && options.contains(argv[i]); i += 2) {
        options[argv[i]] = argv[i + 1];
    }
    const std::string command = i < argc ? argv[i] : "";
    const std::vector<std::string> args(argv + std::min(i + 1, argc), argv + argc);
    const auto number = [&](std::size_t index) { return std::atol(args[index].c_str()); };
    const auto option = [&](const char* name) { return std::atof(options[name].c_str()); };
    Peer peer(options["--nick"], options["--broadcast"]);
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(static_cast<long>(option("--timeout") * 1000));
    const std::string& own = peer.nick;
    const Clock::duration once = deadline - Clock::now();
    int result = 2;
    if (command == "refresh" && !args.empty()) {
        result =
            exchange(peer, deadline, protocol::refreshRequest(own), seconds(2), '1', 0, own, args);
    } else if (command == "topic" && args.size() == 2) {
        peer.send(protocol::topicChange(args[0], args[1]));
        result = 0;
    } else if (command == "private" && args.size() == 2) {
        result = exchange(peer, deadline, protocol::privateMessage(own, args[0], args[1]), once,
                          '7', 2, own, {args[0]});
    } else if (command == "info" && args.size() == 1) {
        result = exchange(peer, deadline, protocol::informationRequest(args[0], own), once, 'G', 0,
                          own, {args[0]});
    } else if (command == "join" && args.size() == 2) {
        // Every member that knows the topic answers with a C of its own, which names no answerer.
        const std::vector<std::string> answers(std::max(0L, number(1)), args[0]);
        result = exchange(peer, deadline, protocol::join(own, args[0], '0', '0'), once, 'C', 0, own,
                          answers);
    } else if (command == "leaves" && args.size() >= 2) {
        // Ready to hear: the driver waits for this line before it makes the copy leave.
        std::printf("listening\n");
        std::fflush(stdout);
        result =
            exchange(peer, deadline, "", once, '5', 0, args[0], {args.begin() + 1, args.end()});
    } else if (command == "lines" && args.size() == 3) {
        // About 2000 lines a second, so that the copy's socket buffer is not what is measured.
        result = load(peer, args[0], number(2), 0.0005, deadline, [&](long i) {
            return protocol::chatLine(
                args[1], own, "line " + std::to_string(i) + " of the load, some words more");
        });
    } else if (command == "flood" && args.size() == 3) {
        result =
            flood(peer, args[0], std::max(1L, number(1)), std::max(0.1, std::atof(args[2].c_str())),
                  std::clamp(static_cast<int>(option("--private-share")), 0, 100), deadline);
    } else {
        std::fprintf(stderr, "usage: scripted_peer [--nick N] [--broadcast A] [--timeout S] "
                             "[--private-share P] COMMAND ARGS...\n");
    }
    std::fflush(stdout);
    return result;
}
