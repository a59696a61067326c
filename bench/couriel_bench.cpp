// Couriel's transfer against the best a user could do instead, each side in a process of its
// own, in one run:
//  - one big file, Couriel to Couriel, against the faster of two plain TCP copies of the same
//    file (blocking reads and writes of 64 KiB; sendfile(2) into a receiver reading 256 KiB at a
//    time); goal: Couriel's data phase at 95% or more of that copy's speed, first data byte to
//    last at the receiver. Over loopback, and when run as root also between two network
//    namespaces joined by a veth pair (MTU 1500, like a LAN); the namespaces go at the end;
//  - 200 files of 4 KiB over loopback, whose floor is the protocol's own pauses (100 ms before
//    each file's data, 200 ms before the next header and 50 ms before the end mark, about
//    0.3 s a file); goal: within 10% of it, connection to end mark.
// Usage: bench_couriel [MiB of the big file, default 1024] [number of small files, default 200]
#include "common/ansi.h"
#include "couriel/transfer/pauses.h"
#include "couriel/transfer/receiver.h"
#include "couriel/transfer/sender.h"
#include "couriel/transfer/transferview.h"
#include "platform/hostinfo.h"
#include "tests/fakes/freeport.h"

#include <QCoreApplication>
#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <optional>
#include <sched.h>
#include <string>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

void writeFile(const fs::path& path, std::uint64_t size) {
    std::ofstream out(path, std::ios::binary);
    std::string block(1 << 20, '\0');
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<char>(i * 131 + i / 997);
    }
    for (std::uint64_t left = size; left > 0;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
        out.write(block.data(), static_cast<std::streamsize>(n));
        left -= n;
    }
}

bool sameContent(const fs::path& a, const fs::path& b) {
    std::ifstream x(a, std::ios::binary);
    std::ifstream y(b, std::ios::binary);
    std::vector<char> bx(1 << 20);
    std::vector<char> by(1 << 20);
    for (;;) {
        x.read(bx.data(), static_cast<std::streamsize>(bx.size()));
        y.read(by.data(), static_cast<std::streamsize>(by.size()));
        if (x.gcount() != y.gcount() ||
            std::memcmp(bx.data(), by.data(), static_cast<std::size_t>(x.gcount())) != 0) {
            return false;
        }
        if (x.gcount() == 0) {
            return true;
        }
    }
}

// Where the two sides run: both in this network namespace over loopback, or each in a
// namespace of its own at either end of a veth pair.
struct Place {
    std::string name;
    std::string senderNamespace;   // empty: this one
    std::string receiverNamespace; // empty: this one
    std::string receiverAddress;
};

bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Two network namespaces joined by a veth pair, 10.78.0.1 (sender) and 10.78.0.2 (receiver);
// both go when the object does.
class VethPair {
public:
    VethPair() {
        const std::string id = std::to_string(::getpid());
        a_ = "crlb" + id + "a";
        b_ = "crlb" + id + "b";
        made_ = run("ip netns add " + a_) && run("ip netns add " + b_) &&
                run("ip link add " + a_ + " type veth peer name " + b_) &&
                run("ip link set " + a_ + " netns " + a_) &&
                run("ip link set " + b_ + " netns " + b_) &&
                run("ip -n " + a_ + " addr add 10.78.0.1/24 dev " + a_) &&
                run("ip -n " + b_ + " addr add 10.78.0.2/24 dev " + b_) &&
                run("ip -n " + a_ + " link set " + a_ + " up") &&
                run("ip -n " + b_ + " link set " + b_ + " up");
    }
    ~VethPair() {
        // Deleting a namespace deletes its end of the pair, and with it the other end.
        run("ip netns delete " + a_);
        run("ip netns delete " + b_);
    }
    VethPair(const VethPair&) = delete;
    VethPair& operator=(const VethPair&) = delete;

    bool made() const { return made_; }
    Place place() const { return {"veth", a_, b_, "10.78.0.2"}; }

private:
    std::string a_;
    std::string b_;
    bool made_ = false;
};

void enterNamespace(const std::string& name) {
    if (name.empty()) {
        return;
    }
    const int fd = ::open(("/run/netns/" + name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::setns(fd, CLONE_NEWNET) != 0) {
        std::perror("setns");
        std::_Exit(1);
    }
    ::close(fd);
}

// A child process that runs the function in a network namespace and reports one value
// through a pipe.
struct Child {
    pid_t pid = -1;
    int result = -1;
};

template <class Function>
Child spawn(const std::string& space, Function function, bool waitUntilReady = false) {
    int results[2];
    int readiness[2];
    if (::pipe(results) != 0 || ::pipe(readiness) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(results[0]);
        ::close(readiness[0]);
        enterNamespace(space);
        const auto value = function(readiness[1]);
        [[maybe_unused]] const ssize_t n = ::write(results[1], &value, sizeof value);
        std::_Exit(0);
    }
    ::close(results[1]);
    ::close(readiness[1]);
    if (waitUntilReady) {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(readiness[0], &byte, 1);
    }
    ::close(readiness[0]);
    return {pid, results[0]};
}

template <class Result = double> Result resultOf(const Child& child) {
    Result value{};
    if (::read(child.result, &value, sizeof value) != sizeof value) {
        value = Result{};
    }
    ::close(child.result);
    ::waitpid(child.pid, nullptr, 0);
    return value;
}

void signalReady(int fd) {
    [[maybe_unused]] const ssize_t n = ::write(fd, "r", 1);
}

sockaddr_in socketAddress(const std::string& address, std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    ::inet_pton(AF_INET, address.c_str(), &a.sin_addr);
    return a;
}

enum class PlainSend { Blocks64K, Sendfile };

// A plain copy: blocking socket calls; the receiver's time from the first byte to the last.
double plainCopy(const Place& place, PlainSend way, const fs::path& source,
                 const fs::path& target) {
    const std::uint16_t port = fakes::freePort(SOCK_STREAM);
    const std::size_t readSize = way == PlainSend::Blocks64K ? 64 << 10 : 256 << 10;
    const Child receiver = spawn(
        place.receiverNamespace,
        [&](int ready) {
            const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
            const int on = 1;
            ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
            const sockaddr_in a = socketAddress("0.0.0.0", port);
            ::bind(listener, reinterpret_cast<const sockaddr*>(&a), sizeof a);
            ::listen(listener, 1);
            signalReady(ready);
            const int fd = ::accept(listener, nullptr, nullptr);
            const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            std::vector<char> buffer(readSize);
            Clock::time_point first{};
            for (;;) {
                const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
                if (n <= 0) {
                    break;
                }
                if (first == Clock::time_point{}) {
                    first = Clock::now();
                }
                [[maybe_unused]] const ssize_t w =
                    ::write(out, buffer.data(), static_cast<std::size_t>(n));
            }
            ::close(out);
            return seconds(first, Clock::now());
        },
        true);
    const Child sender = spawn(place.senderNamespace, [&](int) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        const sockaddr_in a = socketAddress(place.receiverAddress, port);
        ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a);
        const int in = ::open(source.c_str(), O_RDONLY);
        if (way == PlainSend::Sendfile) {
            while (::sendfile(fd, in, nullptr, 1 << 30) > 0) {
            }
        } else {
            std::vector<char> buffer(64 << 10);
            for (ssize_t n = 0; (n = ::read(in, buffer.data(), buffer.size())) > 0;) {
                for (ssize_t sent = 0; sent < n;) {
                    const ssize_t s =
                        ::send(fd, buffer.data() + sent, static_cast<std::size_t>(n - sent), 0);
                    if (s <= 0) {
                        return 0.0;
                    }
                    sent += s;
                }
            }
        }
        ::close(in);
        ::close(fd);
        return 0.0;
    });
    resultOf(sender);
    return resultOf(receiver);
}

// The window's part, as far as the benchmark needs it: the receiving side notes when the
// data began and ended (each read shows progress) and when the end mark came.
class BenchView : public couriel::TransferView {
public:
    explicit BenchView(std::vector<std::string> selection) : selection_(std::move(selection)) {}

    void showStatus(const std::string& text) override {
        if (connected == Clock::time_point{} && text.starts_with("Connect to")) {
            connected = Clock::now();
        }
    }
    void showProgress(int) override {
        ++progressCalls;
        // The first call is the 0 before the go-ahead; the next ones follow the data.
        if (progressCalls == 2) {
            firstData = Clock::now();
        }
        lastData = Clock::now();
    }
    std::vector<std::string> takeSelection() override { return selection_; }
    void askToContinue(const std::string&, std::function<void(bool)> answer) override {
        answer(true);
    }
    void transferOver() override { over = Clock::now(); }
    void closeProgram() override { QCoreApplication::quit(); }

    Clock::time_point connected{};
    Clock::time_point firstData{};
    Clock::time_point lastData{};
    Clock::time_point over{};
    int progressCalls = 0;

private:
    std::vector<std::string> selection_;
};

void printMessage(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

struct CourielTimes {
    double data = 1e9;  // first data byte to the last, one file
    double whole = 1e9; // connection to the end mark
};

// Couriel to Couriel: each side in its own process with its own event loop.
CourielTimes courielCopy(const Place& place, const fs::path& source, const std::string& selected,
                         const fs::path& target) {
    const std::uint16_t port = fakes::freePort(SOCK_STREAM);
    int argc = 1;
    char name[] = "bench_couriel";
    char* argv[] = {name, nullptr};
    const Child receiver = spawn(
        place.receiverNamespace,
        [&](int ready) {
            QCoreApplication application(argc, argv);
            BenchView view({});
            platform::SystemHostInfo host;
            couriel::Receiver side(view, {}, common::CodePage("CP1251"), host,
                                   std::make_unique<couriel::TimerPauses>(), printMessage, port);
            side.start(target);
            signalReady(ready);
            QCoreApplication::exec();
            return CourielTimes{seconds(view.firstData, view.lastData),
                                seconds(view.connected, view.over)};
        },
        true);
    const Child sender = spawn(place.senderNamespace, [&](int) {
        QCoreApplication application(argc, argv);
        BenchView view({selected});
        couriel::Sender side(view, {}, common::CodePage("CP1251"),
                             std::make_unique<couriel::TimerPauses>(), printMessage, port);
        side.start(source, place.receiverAddress);
        QCoreApplication::exec();
        return 0.0;
    });
    resultOf(sender);
    return resultOf<CourielTimes>(receiver);
}

struct BigFileTimes {
    double blocks = 1e9;
    double sendfile = 1e9;
    CourielTimes couriel;
    bool same = true;

    double yardstick() const { return std::min(blocks, sendfile); }
};

// The machine may be busy with other work, so each way of copying runs three times, in turns,
// and its best run counts. Every copy is deleted at once, so that no write-back of an earlier
// one slows a later one.
BigFileTimes bigFile(const Place& place, const fs::path& work) {
    BigFileTimes times;
    const fs::path source = work / "source/big.bin";
    const fs::path plain = work / "plain/big.bin";
    for (int round = 0; round < 3; ++round) {
        times.blocks =
            std::min(times.blocks, plainCopy(place, PlainSend::Blocks64K, source, plain));
        fs::remove(plain);
        const CourielTimes couriel =
            courielCopy(place, work / "source", "big.bin", work / "couriel");
        times.same = times.same && sameContent(source, work / "couriel/big.bin");
        fs::remove(work / "couriel/big.bin");
        if (couriel.data < times.couriel.data) {
            times.couriel = couriel;
        }
        times.sendfile =
            std::min(times.sendfile, plainCopy(place, PlainSend::Sendfile, source, plain));
        fs::remove(plain);
    }
    return times;
}

void printBigFile(const std::string& where, double mib, const BigFileTimes& t) {
    std::printf("one file of %.0f MiB, %s, first data byte to last at the receiver, best of 3\n",
                mib, where.c_str());
    const auto line = [&](const char* what, double s) {
        std::printf("  %-44s %7.3f s  %7.1f MiB/s\n", what, s, mib / s);
    };
    line("plain TCP copy, 64 KiB reads and writes", t.blocks);
    line("plain TCP copy, sendfile, 256 KiB reads", t.sendfile);
    line("Couriel to Couriel", t.couriel.data);
    std::printf("  %-44s %7.3f s  (with the protocol's 150 ms of pauses)  %s\n",
                "Couriel, connection to end mark", t.couriel.whole,
                t.same ? "same bytes" : "BYTES DIFFER");
    std::printf("  Couriel / best plain copy: %.0f%% (goal: at least 95%%)\n",
                100.0 * t.yardstick() / t.couriel.data);
}

} // namespace

int main(int argc, char** argv) {
    const std::uint64_t mebibytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1024;
    const int smallFiles = argc > 2 ? std::atoi(argv[2]) : 200;
    const fs::path work =
        fs::temp_directory_path() / ("couriel-bench-" + std::to_string(::getpid()));
    fs::create_directories(work / "source/small");
    fs::create_directories(work / "plain");
    fs::create_directories(work / "couriel");
    const std::uint64_t size = mebibytes << 20;
    writeFile(work / "source/big.bin", size);
    for (int i = 0; i < smallFiles; ++i) {
        writeFile(work / "source/small" / std::to_string(i), 4096);
    }
    // On disk before the first copy, so that writing them back slows none of the copies.
    ::sync();
    const double mib = static_cast<double>(size) / (1 << 20);
    bool same = true;

    const Place loopback{"loopback", "", "", "127.0.0.1"};
    const BigFileTimes overLoopback = bigFile(loopback, work);
    printBigFile("over loopback", mib, overLoopback);
    same = same && overLoopback.same;

    std::optional<BigFileTimes> overVeth;
    if (::geteuid() != 0) {
        std::printf("not root: no network namespaces, no veth figures\n");
    } else if (const VethPair veth; !veth.made()) {
        std::printf("the network namespaces could not be made: no veth figures\n");
    } else {
        overVeth = bigFile(veth.place(), work);
        printBigFile("between two network namespaces over veth", mib, *overVeth);
        same = same && overVeth->same;
    }

    if (smallFiles > 0) {
        const CourielTimes small =
            courielCopy(loopback, work / "source", "small", work / "couriel");
        // 100 ms before each file's data, 200 ms before each header but the first, 50 ms before
        // the end mark.
        const double floor = 0.1 * smallFiles + 0.2 * (smallFiles - 1) + 0.05;
        std::printf("%d files of 4 KiB over loopback\n", smallFiles);
        std::printf("  %-44s %7.3f s\n", "Couriel, connection to end mark", small.whole);
        std::printf("  %-44s %7.3f s\n", "floor of the pauses (about 0.3 s a file)", floor);
        std::printf("  above the floor: %.1f%% (goal: within 10%%)\n",
                    100.0 * (small.whole - floor) / floor);
        for (int i = 0; i < smallFiles; ++i) {
            same = same && sameContent(work / "source/small" / std::to_string(i),
                                       work / "couriel/small" / std::to_string(i));
        }
        std::printf("  %s\n", same ? "same bytes" : "BYTES DIFFER");
    }
    fs::remove_all(work);

    const auto percent = [](const BigFileTimes& t) {
        char text[16];
        std::snprintf(text, sizeof text, "%.0f%%", 100.0 * t.yardstick() / t.couriel.data);
        return std::string(text);
    };
    std::printf("Couriel / best plain copy: %s (loopback), %s (veth)\n",
                percent(overLoopback).c_str(),
                overVeth ? percent(*overVeth).c_str() : "not measured");
    return same ? 0 : 1;
}
