// A scripted chat peer for the LAN test and the load benchmarks: it speaks the chat's protocol
// through our own framing and message code, one command per run, and prints what it heard.
//
//   scripted_peer [--nick N] [--broadcast A] [--timeout S] COMMAND ARGS...
//
//   refresh NICK,NICK,...     send 0, wait for a 1 from each named copy
//   chat CHANNEL TEXT         send one chat line 2
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

// A broadcast socket bound to the chat port, as a copy of the chat has it.
class Socket : public transport::PacketSink {
public:
    bool open(const std::string& broadcast) {
        fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        if (fd_ < 0) {
            return false;
        }
        const int on = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
        // A flood and its answers must not be lost in our own socket.
        const int buffer = 8 << 20;
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
        ::setsockopt(fd_, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(kPort);
        local.sin_addr.s_addr = htonl(INADDR_ANY);
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
            std::perror("bind");
            return false;
        }
        target_.sin_family = AF_INET;
        target_.sin_port = htons(kPort);
        return ::inet_pton(AF_INET, broadcast.c_str(), &target_.sin_addr) == 1;
    }
    ~Socket() override {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
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
        ++lost_;
        return std::nullopt;
    }
    // One datagram, waiting at most the given milliseconds; empty when none came.
    std::optional<std::string> receive(int milliseconds) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, std::max(0, milliseconds)) <= 0) {
            return std::nullopt;
        }
        std::array<char, 4096> buffer{};
        const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
        if (n <= 0) {
            return std::nullopt;
        }
        return std::string(buffer.data(), static_cast<std::size_t>(n));
    }
    long lost() const { return lost_; }

private:
    int fd_ = -1;
    sockaddr_in target_{};
    long lost_ = 0;
};

// A received message: its class and code, and its fields by the catalogue's layout.
struct Message {
    std::string code;
    std::vector<std::string> fields;
};

class Peer {
public:
    Peer(std::string nick, const std::string& broadcast)
        : nick_(std::move(nick)), framing_(socket_, [this] { return digit_(random_); }),
          random_(std::random_device{}()) {
        ok_ = socket_.open(broadcast);
    }
    bool ok() const { return ok_; }
    const std::string& nick() const { return nick_; }
    void send(const std::string& body) { framing_.send(body, true); }
    long lost() const { return socket_.lost(); }

    // The next message heard before the deadline, own packets included (they are told apart by
    // their fields, which is what the commands look at anyway).
    std::optional<Message> next(Clock::time_point deadline) {
        for (int guard = 0; guard < 1'000'000; ++guard) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() < 0) {
                return std::nullopt;
            }
            std::optional<std::string> datagram =
                socket_.receive(static_cast<int>(std::min<long>(left.count(), 200)));
            if (!datagram) {
                continue;
            }
            std::optional<Message> message = decode(*datagram);
            if (message) {
                return message;
            }
        }
        return std::nullopt;
    }

private:
    std::optional<Message> decode(std::string& datagram) {
        const std::optional<transport::AcceptedPacket> accepted =
            framing_.accept(std::span<char>(datagram.data(), datagram.size()));
        if (!accepted) {
            return std::nullopt;
        }
        for (const protocol::MessageLayout& layout : protocol::messageLayouts()) {
            if (layout.messageClass != accepted->messageClass ||
                datagram.compare(10, layout.code.size(), layout.code) != 0) {
                continue;
            }
            // Read as the chat reads it: a missing character field drops the message.
            protocol::FieldReader reader(std::span<const char>(datagram.data(), datagram.size()),
                                         10 + layout.code.size());
            Message message{std::string(layout.code), {}};
            for (const char kind : layout.fields) {
                if (kind == 't') {
                    message.fields.emplace_back(reader.text());
                } else if (const std::optional<char> c = reader.character()) {
                    message.fields.emplace_back(1, *c);
                } else {
                    return std::nullopt;
                }
            }
            return message;
        }
        return std::nullopt;
    }

    std::string nick_;
    Socket socket_;
    transport::Framing framing_;
    std::mt19937 random_;
    std::uniform_int_distribution<int> digit_{0, 94};
    bool ok_ = false;
};

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, separator)) {
        if (!part.empty()) {
            parts.push_back(part);
        }
    }
    return parts;
}

double milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

int refresh(Peer& peer, const std::string& nicks, Clock::time_point deadline) {
    std::set<std::string> waiting;
    for (const std::string& nick : split(nicks, ',')) {
        waiting.insert(nick);
    }
    peer.send(protocol::refreshRequest(peer.nick()));
    auto resend = Clock::now() + std::chrono::seconds(2);
    while (!waiting.empty()) {
        const std::optional<Message> m = peer.next(std::min(deadline, resend));
        if (Clock::now() >= deadline) {
            break;
        }
        if (!m) {
            // A broadcast can be lost; asking again only brings the same answers.
            peer.send(protocol::refreshRequest(peer.nick()));
            resend = Clock::now() + std::chrono::seconds(2);
            continue;
        }
        if (m->code == "1" && m->fields[0] == peer.nick() && waiting.erase(m->fields[1]) > 0) {
            std::printf("answer %s status=%s visibility=%s\n", m->fields[1].c_str(),
                        m->fields[2].c_str(), m->fields[3].c_str());
        }
    }
    for (const std::string& nick : waiting) {
        std::printf("missing %s\n", nick.c_str());
    }
    return waiting.empty() ? 0 : 1;
}

int privateMessage(Peer& peer, const std::string& nick, const std::string& text,
                   Clock::time_point deadline) {
    peer.send(protocol::privateMessage(peer.nick(), nick, text));
    for (int guard = 0; guard < 100'000; ++guard) {
        const std::optional<Message> m = peer.next(deadline);
        if (!m) {
            break;
        }
        // 7: status, confirming nick, sender of the 6, gender, auto-answer.
        if (m->code == "7" && m->fields[1] == nick && m->fields[2] == peer.nick()) {
            std::printf("confirmed %s status=%s\n", nick.c_str(), m->fields[0].c_str());
            return 0;
        }
    }
    std::printf("no confirmation from %s\n", nick.c_str());
    return 1;
}

int information(Peer& peer, const std::string& nick, Clock::time_point deadline) {
    peer.send(protocol::informationRequest(nick, peer.nick()));
    for (int guard = 0; guard < 100'000; ++guard) {
        const std::optional<Message> m = peer.next(deadline);
        if (!m) {
            break;
        }
        if (m->code == "G" && m->fields[0] == peer.nick() && m->fields[1] == nick) {
            std::printf("computer=%s\nuser=%s\naddress=%s\nchannels=%s\n", m->fields[2].c_str(),
                        m->fields[3].c_str(), m->fields[4].c_str(), m->fields[5].c_str());
            return 0;
        }
    }
    std::printf("no information answer from %s\n", nick.c_str());
    return 1;
}

// Every member that knows the topic answers with a C of its own; C names no answerer, so the
// answers are counted.
int joinChannel(Peer& peer, const std::string& channel, long expected, Clock::time_point deadline) {
    peer.send(protocol::join(peer.nick(), channel, '0', '0'));
    long answers = 0;
    for (int guard = 0; guard < 100'000 && answers < expected; ++guard) {
        const std::optional<Message> m = peer.next(deadline);
        if (!m) {
            break;
        }
        if (m->code == "C" && m->fields[0] == peer.nick() && m->fields[1] == channel) {
            std::printf("topic %s\n", m->fields[2].c_str());
            ++answers;
        }
    }
    std::printf("%ld topic answer(s) for %s\n", answers, channel.c_str());
    return answers >= expected ? 0 : 1;
}

int leaves(Peer& peer, const std::string& nick, std::set<std::string> channels,
           Clock::time_point deadline) {
    // Ready to hear: the driver waits for this line before it closes the copy.
    std::printf("listening\n");
    std::fflush(stdout);
    while (!channels.empty()) {
        const std::optional<Message> m = peer.next(deadline);
        if (!m) {
            break;
        }
        if (m->code == "5" && m->fields[0] == nick && channels.erase(m->fields[1]) > 0) {
            std::printf("leave %s %s\n", nick.c_str(), m->fields[1].c_str());
            std::fflush(stdout);
        }
    }
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
    for (int round = 0; round < 100'000 && Clock::now() < deadline; ++round) {
        const std::string requester = peer.nick() + "-done" + std::to_string(round);
        asked.insert(requester);
        peer.send(protocol::refreshRequest(requester));
        const auto resend = std::min(deadline, Clock::now() + std::chrono::seconds(1));
        for (int guard = 0; guard < 1'000'000; ++guard) {
            const std::optional<Message> m = peer.next(resend);
            if (!m) {
                break;
            }
            if (m->code == "1" && asked.contains(m->fields[0]) && m->fields[1] == nick) {
                return true;
            }
        }
    }
    return false;
}

int lines(Peer& peer, const std::string& nick, const std::string& channel, long count,
          Clock::time_point deadline) {
    const auto start = Clock::now();
    for (long i = 0; i < count; ++i) {
        peer.send(protocol::chatLine(
            channel, peer.nick(), "line " + std::to_string(i) + " of the load, some words more"));
        // About 2000 lines a second, so that the copy's socket buffer is not what is measured.
        if (i % 20 == 19) {
            while (Clock::now() < start + std::chrono::microseconds(500 * (i + 1))) {
                peer.next(Clock::now() + std::chrono::milliseconds(1));
            }
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
// "Probe" every 100 ms is timed to its 1.
int flood(Peer& peer, const std::string& nick, long count, double seconds, int privateShare,
          Clock::time_point deadline) {
    const auto start = Clock::now();
    const auto spacing = std::chrono::duration<double>(seconds / static_cast<double>(count));
    std::map<long, Clock::time_point> probes; // number -> sent
    std::map<long, double> answered;          // probe number -> milliseconds to its answer
    long sent = 0;
    long privates = 0;
    long confirmations = 0;
    long probeNumber = 0;
    auto nextProbe = start;
    const auto hear = [&](Clock::time_point until) {
        for (int guard = 0; guard < 100'000; ++guard) {
            const std::optional<Message> m = peer.next(until);
            if (!m) {
                return;
            }
            if (m->code == "1" && m->fields[1] == nick && m->fields[0].rfind("Probe", 0) == 0) {
                const long n = std::atol(m->fields[0].c_str() + 5);
                const auto probe = probes.find(n);
                if (probe != probes.end()) {
                    answered[n] = milliseconds(Clock::now() - probe->second);
                    probes.erase(probe);
                }
            } else if (m->code == "7" && m->fields[1] == nick && m->fields[2] == peer.nick()) {
                ++confirmations;
            }
        }
    };
    for (long guard = 0; sent < count && guard < 100'000'000; ++guard) {
        const auto now = Clock::now();
        if (now >= nextProbe) {
            // A nick of its own per probe, so that a late answer is never taken for a later one.
            probes[probeNumber] = now;
            peer.send(protocol::refreshRequest("Probe" + std::to_string(probeNumber++)));
            nextProbe += std::chrono::milliseconds(100);
        }
        const auto due = start + std::chrono::duration_cast<Clock::duration>(spacing * sent);
        if (now < due) {
            hear(std::min(due, nextProbe));
            continue;
        }
        const long kind = sent % 100;
        if (kind < privateShare) {
            peer.send(
                protocol::privateMessage(peer.nick(), nick, "pm " + std::to_string(privates)));
            ++privates;
        } else if (kind < privateShare + (100 - privateShare) * 4 / 9) {
            peer.send(protocol::chatLine("#Lab", peer.nick(),
                                         "open channel line " + std::to_string(sent)));
        } else if (kind < privateShare + (100 - privateShare) * 6 / 9) {
            peer.send(protocol::chatLine("#Closed", peer.nick(),
                                         "closed channel line " + std::to_string(sent)));
        } else {
            peer.send(protocol::refreshRequest("Flood" + std::to_string(sent % 50)));
        }
        ++sent;
    }
    const auto floodEnd = Clock::now();
    // The probes go on after the flood until one sent after it is answered: the copy handles
    // datagrams in order, so it has then worked through its backlog.
    const long firstAfter = probeNumber;
    std::optional<double> catchUp;
    for (long guard = 0; !catchUp && guard < 100'000 && Clock::now() < deadline; ++guard) {
        probes[probeNumber] = Clock::now();
        peer.send(protocol::refreshRequest("Probe" + std::to_string(probeNumber++)));
        hear(std::min(deadline, Clock::now() + std::chrono::milliseconds(100)));
        for (long n = firstAfter; n < probeNumber; ++n) {
            if (!probes.contains(n)) {
                catchUp = milliseconds(Clock::now() - floodEnd);
                break;
            }
        }
    }
    const bool caughtUp = catchUp.has_value();
    // Late confirmations of the last private messages.
    hear(Clock::now() + std::chrono::seconds(2));
    // The latency under load is that of the probes sent while the flood ran.
    std::vector<double> latencies;
    for (const auto& [n, ms] : answered) {
        if (n < firstAfter) {
            latencies.push_back(ms);
        }
    }
    const long probesDuringFlood = firstAfter;
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double q) {
        return latencies.empty()
                   ? 0.0
                   : latencies[std::min(latencies.size() - 1,
                                        static_cast<std::size_t>(q * latencies.size()))];
    };
    std::printf("flood_packets=%ld\nflood_seconds=%.2f\nprivate_messages=%ld\nconfirmations=%ld\n",
                sent, std::chrono::duration<double>(floodEnd - start).count(), privates,
                confirmations);
    std::printf(
        "probes_sent=%ld\nprobes_answered=%zu\nlatency_ms_median=%.2f\nlatency_ms_p95=%.2f\n"
        "latency_ms_max=%.2f\ncaught_up=%s\ncatch_up_ms=%.0f\nsend_failures=%ld\n",
        probesDuringFlood, latencies.size(), at(0.5), at(0.95),
        latencies.empty() ? 0.0 : latencies.back(), caughtUp ? "yes" : "no", catchUp.value_or(-1),
        peer.lost());
    return caughtUp ? 0 : 1;
}

int usage() {
    std::fprintf(stderr, "usage: scripted_peer [--nick N] [--broadcast A] [--timeout S] "
                         "[--private-share P] COMMAND ARGS...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string nick = "Peer";
    std::string broadcast = "10.77.0.255";
    double timeout = 15;
    int privateShare = 10;
    int i = 1;
    for (; i + 1 < argc && std::strncmp(argv[i], "--", 2) == 0; i += 2) {
        const std::string option = argv[i];
        if (option == "--nick") {
            nick = argv[i + 1];
        } else if (option == "--broadcast") {
            broadcast = argv[i + 1];
        } else if (option == "--timeout") {
            timeout = std::atof(argv[i + 1]);
        } else if (option == "--private-share") {
            privateShare = std::clamp(std::atoi(argv[i + 1]), 0, 100);
        } else {
            return usage();
        }
    }
    if (i >= argc) {
        return usage();
    }
    const std::string command = argv[i];
    const std::vector<std::string> args(argv + i + 1, argv + argc);
    Peer peer(nick, broadcast);
    if (!peer.ok()) {
        std::fprintf(stderr, "scripted_peer: cannot open the chat port\n");
        return 1;
    }
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(static_cast<long>(std::max(0.1, timeout) * 1000));
    int result = 2;
    if (command == "refresh" && args.size() == 1) {
        result = refresh(peer, args[0], deadline);
    } else if (command == "chat" && args.size() == 2) {
        peer.send(protocol::chatLine(args[0], nick, args[1]));
        result = 0;
    } else if (command == "topic" && args.size() == 2) {
        peer.send(protocol::topicChange(args[0], args[1]));
        result = 0;
    } else if (command == "private" && args.size() == 2) {
        result = privateMessage(peer, args[0], args[1], deadline);
    } else if (command == "info" && args.size() == 1) {
        result = information(peer, args[0], deadline);
    } else if (command == "join" && (args.size() == 1 || args.size() == 2)) {
        result =
            joinChannel(peer, args[0], args.size() == 2 ? std::atol(args[1].c_str()) : 1, deadline);
    } else if (command == "leaves" && args.size() >= 2) {
        result =
            leaves(peer, args[0], std::set<std::string>(args.begin() + 1, args.end()), deadline);
    } else if (command == "lines" && args.size() == 3) {
        result = lines(peer, args[0], args[1], std::atol(args[2].c_str()), deadline);
    } else if (command == "flood" && args.size() == 3) {
        result = flood(peer, args[0], std::max(1L, std::atol(args[1].c_str())),
                       std::max(0.1, std::atof(args[2].c_str())), privateShare, deadline);
    } else {
        return usage();
    }
    std::fflush(stdout);
    return result;
}
