// A scripted chat peer for the LAN test and the load benchmarks: it speaks the chat's protocol
// through our own framing and message code, one command per run, and prints what it heard.
//
//   scripted_peer [--nick N] [--broadcast A] [--timeout S] [--private-share P] COMMAND ARGS...
//
//   refresh NICK,NICK,...     send 0, wait for a 1 from each named copy
//   topic CHANNEL TEXT        send a topic change B
//   private NICK TEXT         send 6, wait for the 7 of NICK
//   info NICK                 send F, wait for the G of NICK
//   join CHANNEL [COUNT]      send 4, wait for COUNT topic answers C (1 when not given)
//   leaves NICK CHANNEL...    wait for a 5 from NICK for every channel named
//   lines NICK CHANNEL COUNT  send COUNT chat lines, then wait for a 1 from NICK (all handled)
//   flood NICK COUNT SECONDS  the load mix, with a timed refresh every 100 ms (see flood())
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
#include <cstring>
#include <functional>
#include <map>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace natterby;
using Clock = std::chrono::steady_clock;
constexpr std::uint16_t kPort = 8198;

// The messages the commands wait for, with their fields: 't' text, 'c' character, in wire order.
const std::map<char, std::string_view> kHeardFields = {
    {'1', "ttcc"}, {'5', "ttc"}, {'7', "cttct"}, {'C', "ttt"}, {'G', "ttttttt"}};

struct Message {
    char code;
    std::vector<std::string> fields;
};

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
        local.sin_port = htons(kPort);
        target_ = local;
        ok = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
             ::inet_pton(AF_INET, broadcast.c_str(), &target_.sin_addr) == 1;
    }
    ~Peer() override {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }

    void send(const std::string& body) { framing_.send(body, true); }

    std::optional<transport::ESocketError> sendPacket(std::string_view packet) override {
        // A full send buffer is waited out briefly rather than losing the packet.
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (::sendto(fd_, packet.data(), packet.size(), 0,
                         reinterpret_cast<const sockaddr*>(&target_), sizeof target_) >= 0) {
                return std::nullopt;
            }
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, 10);
        }
        ++lost;
        return std::nullopt;
    }

    // Hears messages until `wanted` takes one (true) or the deadline passes (false). Own
    // packets are heard too; the commands tell them apart by their fields.
    bool waitFor(Clock::time_point deadline, const std::function<bool(const Message&)>& wanted) {
        for (std::optional<Message> m; (m = next(deadline));) {
            if (wanted(*m)) {
                return true;
            }
        }
        return false;
    }

    const std::string nick;
    bool ok = false;
    long lost = 0;

private:
    std::optional<Message> next(Clock::time_point deadline) {
        std::array<char, 4096> buffer{};
        for (auto now = Clock::now(); now < deadline; now = Clock::now()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(std::min<long>(left.count(), 200))) <= 0) {
                continue;
            }
            const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
            if (n <= 0) {
                continue;
            }
            const std::span<char> datagram(buffer.data(), static_cast<std::size_t>(n));
            const auto accepted = framing_.accept(datagram);
            const auto fields = accepted && accepted->messageClass == 'T'
                                    ? kHeardFields.find(accepted->code)
                                    : kHeardFields.end();
            if (fields == kHeardFields.end()) {
                continue;
            }
            protocol::FieldReader reader(datagram, transport::Framing::kHeaderLength + 1);
            Message message{accepted->code, {}};
            for (const char kind : fields->second) {
                if (kind == 't') {
                    message.fields.emplace_back(reader.text());
                    continue;
                }
                const std::optional<char> character = reader.character();
                if (!character) {
                    break; // cut short: dropped, as a copy drops it
                }
                message.fields.emplace_back(1, *character);
            }
            if (message.fields.size() == fields->second.size()) {
                return message;
            }
        }
        return std::nullopt;
    }

    int fd_ = -1;
    sockaddr_in target_{};
    std::mt19937 random_{std::random_device{}()};
    std::uniform_int_distribution<int> digit_{0, 94};
    transport::Framing framing_{*this, [this] { return digit_(random_); }};
};

double milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

int refresh(Peer& peer, const std::string& nicks, Clock::time_point deadline) {
    std::set<std::string> waiting;
    std::stringstream list(nicks);
    for (std::string nick; std::getline(list, nick, ',');) {
        if (!nick.empty()) {
            waiting.insert(nick);
        }
    }
    // A broadcast can be lost; asking again every two seconds only brings the same answers.
    while (!waiting.empty() && Clock::now() < deadline) {
        peer.send(protocol::refreshRequest(peer.nick));
        peer.waitFor(std::min(deadline, Clock::now() + std::chrono::seconds(2)), [&](auto& m) {
            if (m.code == '1' && m.fields[0] == peer.nick && waiting.erase(m.fields[1]) > 0) {
                std::printf("answer %s status=%s visibility=%s\n", m.fields[1].c_str(),
                            m.fields[2].c_str(), m.fields[3].c_str());
            }
            return waiting.empty();
        });
    }
    for (const std::string& nick : waiting) {
        std::printf("missing %s\n", nick.c_str());
    }
    return waiting.empty() ? 0 : 1;
}

int privateMessage(Peer& peer, const std::string& nick, const std::string& text,
                   Clock::time_point deadline) {
    peer.send(protocol::privateMessage(peer.nick, nick, text));
    // 7: status, confirming nick, sender of the 6, gender, auto-answer.
    const bool confirmed = peer.waitFor(deadline, [&](auto& m) {
        if (m.code != '7' || m.fields[1] != nick || m.fields[2] != peer.nick) {
            return false;
        }
        std::printf("confirmed %s status=%s\n", nick.c_str(), m.fields[0].c_str());
        return true;
    });
    if (!confirmed) {
        std::printf("no confirmation from %s\n", nick.c_str());
    }
    return confirmed ? 0 : 1;
}

int information(Peer& peer, const std::string& nick, Clock::time_point deadline) {
    peer.send(protocol::informationRequest(nick, peer.nick));
    const bool answered = peer.waitFor(deadline, [&](auto& m) {
        if (m.code != 'G' || m.fields[0] != peer.nick || m.fields[1] != nick) {
            return false;
        }
        std::printf("computer=%s\nuser=%s\naddress=%s\nchannels=%s\n", m.fields[2].c_str(),
                    m.fields[3].c_str(), m.fields[4].c_str(), m.fields[5].c_str());
        return true;
    });
    if (!answered) {
        std::printf("no information answer from %s\n", nick.c_str());
    }
    return answered ? 0 : 1;
}

// Every member that knows the topic answers with a C of its own; C names no answerer, so the
// answers are counted.
int joinChannel(Peer& peer, const std::string& channel, long expected, Clock::time_point deadline) {
    peer.send(protocol::join(peer.nick, channel, '0', '0'));
    long answers = 0;
    peer.waitFor(deadline, [&](auto& m) {
        if (m.code == 'C' && m.fields[0] == peer.nick && m.fields[1] == channel) {
            std::printf("topic %s\n", m.fields[2].c_str());
            ++answers;
        }
        return answers >= expected;
    });
    std::printf("%ld topic answer(s) for %s\n", answers, channel.c_str());
    return answers >= expected ? 0 : 1;
}

int leaves(Peer& peer, const std::string& nick, std::set<std::string> channels,
           Clock::time_point deadline) {
    // Ready to hear: the driver waits for this line before it closes the copy.
    std::printf("listening\n");
    std::fflush(stdout);
    peer.waitFor(deadline, [&](auto& m) {
        if (m.code == '5' && m.fields[0] == nick && channels.erase(m.fields[1]) > 0) {
            std::printf("leave %s %s\n", nick.c_str(), m.fields[1].c_str());
            std::fflush(stdout);
        }
        return channels.empty();
    });
    for (const std::string& channel : channels) {
        std::printf("no leave of %s\n", channel.c_str());
    }
    return channels.empty() ? 0 : 1;
}

// Waits for the 1 that answers a 0 sent after everything else: the copy handles datagrams in
// order, so once it answers, it has handled all that came before. A copy that is behind may
// drop the 0 with the rest of what its socket could not hold, so it is sent again, under a
// requester of its own each time, every second.
bool drained(Peer& peer, const std::string& nick, Clock::time_point deadline) {
    std::set<std::string> asked;
    for (int round = 0; Clock::now() < deadline; ++round) {
        const std::string requester = peer.nick + "-done" + std::to_string(round);
        asked.insert(requester);
        peer.send(protocol::refreshRequest(requester));
        if (peer.waitFor(std::min(deadline, Clock::now() + std::chrono::seconds(1)), [&](auto& m) {
                return m.code == '1' && asked.contains(m.fields[0]) && m.fields[1] == nick;
            })) {
            return true;
        }
    }
    return false;
}

int lines(Peer& peer, const std::string& nick, const std::string& channel, long count,
          Clock::time_point deadline) {
    const auto start = Clock::now();
    for (long i = 0; i < count; ++i) {
        peer.send(protocol::chatLine(
            channel, peer.nick, "line " + std::to_string(i) + " of the load, some words more"));
        // About 2000 lines a second, so that the copy's socket buffer is not what is measured.
        if (i % 20 == 19) {
            peer.waitFor(start + std::chrono::microseconds(500 * (i + 1)),
                         [](auto&) { return false; });
        }
    }
    const bool done = drained(peer, nick, deadline);
    std::printf("sent %ld lines in %.1f ms, %s\n", count, milliseconds(Clock::now() - start),
                done ? "all handled" : "no answer after them");
    return done ? 0 : 1;
}

// The load: COUNT packets spread evenly over SECONDS, in a fixed mix of chat lines on an open
// channel (#Lab) and on a channel the copy has not joined (#Closed), refresh requests from other
// nicks and private messages to the copy, each with a text of its own ("pm N"), while a 0 from
// "ProbeN" every 100 ms is timed to its 1. The probes go on after the flood until one sent
// after it is answered: the copy handles datagrams in order, so it has then worked through its
// backlog.
int flood(Peer& peer, const std::string& nick, long count, double seconds, int privateShare,
          Clock::time_point deadline) {
    const auto start = Clock::now();
    const auto spacing = std::chrono::duration<double>(seconds / static_cast<double>(count));
    std::map<long, Clock::time_point> probes; // number -> sent, until answered
    std::vector<double> latencies;            // of the probes sent while the flood ran
    long sent = 0, privates = 0, confirmations = 0, probeNumber = 0, firstAfter = -1;
    const auto probe = [&] {
        // A nick of its own per probe, so that a late answer is never taken for a later one.
        probes[probeNumber] = Clock::now();
        peer.send(protocol::refreshRequest("Probe" + std::to_string(probeNumber++)));
    };
    // Hears until the time given, or, when asked to, until a probe sent after the flood is
    // answered (true).
    const auto hear = [&](Clock::time_point until, bool untilCaughtUp) {
        return peer.waitFor(until, [&](auto& m) {
            if (m.code == '7' && m.fields[1] == nick && m.fields[2] == peer.nick) {
                ++confirmations;
            }
            if (m.code != '1' || m.fields[1] != nick || !m.fields[0].starts_with("Probe")) {
                return false;
            }
            const long n = std::atol(m.fields[0].c_str() + 5);
            const auto answered = probes.find(n);
            if (answered == probes.end()) {
                return false;
            }
            if (firstAfter < 0 || n < firstAfter) {
                latencies.push_back(milliseconds(Clock::now() - answered->second));
            }
            probes.erase(answered);
            return untilCaughtUp && n >= firstAfter;
        });
    };
    for (auto nextProbe = start; sent < count;) {
        if (Clock::now() >= nextProbe) {
            probe();
            nextProbe += std::chrono::milliseconds(100);
        }
        const auto due = start + std::chrono::duration_cast<Clock::duration>(spacing * sent);
        if (Clock::now() < due) {
            hear(std::min(due, nextProbe), false);
            continue;
        }
        const long kind = sent % 100;
        if (kind < privateShare) {
            peer.send(
                protocol::privateMessage(peer.nick, nick, "pm " + std::to_string(privates++)));
        } else if (kind < privateShare + (100 - privateShare) * 4 / 9) {
            peer.send(
                protocol::chatLine("#Lab", peer.nick, "open channel line " + std::to_string(sent)));
        } else if (kind < privateShare + (100 - privateShare) * 6 / 9) {
            peer.send(protocol::chatLine("#Closed", peer.nick,
                                         "closed channel line " + std::to_string(sent)));
        } else {
            peer.send(protocol::refreshRequest("Flood" + std::to_string(sent % 50)));
        }
        ++sent;
    }
    const auto floodEnd = Clock::now();
    firstAfter = probeNumber;
    std::optional<double> catchUp;
    while (!catchUp && Clock::now() < deadline) {
        probe();
        if (hear(std::min(deadline, Clock::now() + std::chrono::milliseconds(100)), true)) {
            catchUp = milliseconds(Clock::now() - floodEnd);
        }
    }
    // Late confirmations of the last private messages.
    hear(Clock::now() + std::chrono::seconds(2), false);
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double q) {
        return latencies.empty()
                   ? 0.0
                   : latencies[std::min(latencies.size() - 1,
                                        static_cast<std::size_t>(q * latencies.size()))];
    };
    std::printf("flood_packets=%ld\nflood_seconds=%.2f\nprivate_messages=%ld\nconfirmations=%ld\n"
                "probes_sent=%ld\nprobes_answered=%zu\nlatency_ms_median=%.2f\n"
                "latency_ms_p95=%.2f\nlatency_ms_max=%.2f\ncaught_up=%s\ncatch_up_ms=%.0f\n"
                "send_failures=%ld\n",
                sent, std::chrono::duration<double>(floodEnd - start).count(), privates,
                confirmations, firstAfter, latencies.size(), at(0.5), at(0.95), at(1.0),
                catchUp ? "yes" : "no", catchUp.value_or(-1), peer.lost);
    return catchUp ? 0 : 1;
}

int usage() {
    std::fprintf(stderr, "usage: scripted_peer [--nick N] [--broadcast A] [--timeout S] "
                         "[--private-share P] COMMAND ARGS...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::map<std::string, std::string> options{{"--nick", "Peer"},
                                               {"--broadcast", "10.77.0.255"},
                                               {"--timeout", "15"},
                                               {"--private-share", "10"}};
    int i = 1;
    for (; i + 1 < argc && std::strncmp(argv[i], "--", 2) == 0; i += 2) {
        if (!options.contains(argv[i])) {
            return usage();
        }
        options[argv[i]] = argv[i + 1];
    }
    if (i >= argc) {
        return usage();
    }
    const std::string command = argv[i];
    const std::vector<std::string> args(argv + i + 1, argv + argc);
    const auto number = [&](std::size_t index) { return std::atol(args[index].c_str()); };
    Peer peer(options["--nick"], options["--broadcast"]);
    if (!peer.ok) {
        std::fprintf(stderr, "scripted_peer: cannot open the chat port\n");
        return 1;
    }
    const double timeout = std::max(0.1, std::atof(options["--timeout"].c_str()));
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(static_cast<long>(timeout * 1000));
    int result = 2;
    if (command == "refresh" && args.size() == 1) {
        result = refresh(peer, args[0], deadline);
    } else if (command == "topic" && args.size() == 2) {
        peer.send(protocol::topicChange(args[0], args[1]));
        result = 0;
    } else if (command == "private" && args.size() == 2) {
        result = privateMessage(peer, args[0], args[1], deadline);
    } else if (command == "info" && args.size() == 1) {
        result = information(peer, args[0], deadline);
    } else if (command == "join" && (args.size() == 1 || args.size() == 2)) {
        result = joinChannel(peer, args[0], args.size() == 2 ? number(1) : 1, deadline);
    } else if (command == "leaves" && args.size() >= 2) {
        result =
            leaves(peer, args[0], std::set<std::string>(args.begin() + 1, args.end()), deadline);
    } else if (command == "lines" && args.size() == 3) {
        result = lines(peer, args[0], args[1], number(2), deadline);
    } else if (command == "flood" && args.size() == 3) {
        const int share = std::clamp(std::atoi(options["--private-share"].c_str()), 0, 100);
        result = flood(peer, args[0], std::max(1L, number(1)),
                       std::max(0.1, std::atof(args[2].c_str())), share, deadline);
    } else {
        return usage();
    }
    std::fflush(stdout);
    return result;
}
