// Couriel's transfer against the limits it is measured by, each side in a process of its own:
//  - one 1 GiB file, Couriel to Couriel, against a plain TCP copy of the same file in the same
//    run (blocking reads and writes of 4 KiB, Couriel's chunk, and of 64 KiB); goal: at least
//    80% of the 4 KiB copy's speed, data phase against data phase;
//  - 200 files of 4 KiB, whose floor is the protocol's own pauses (100 ms before each file's
//    data, 200 ms before the next header and 50 ms before the end mark, about 0.3 s a file);
//    goal: within 10% of it, connection to end mark.
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
#include <string>
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

// A child process that runs the function and reports one number through a pipe.
struct Child {
    pid_t pid = -1;
    int result = -1;
};

template <class Function> Child spawn(Function function, int* ready = nullptr) {
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
        const auto value = function(readiness[1]);
        [[maybe_unused]] const ssize_t n = ::write(results[1], &value, sizeof value);
        std::_Exit(0);
    }
    ::close(results[1]);
    ::close(readiness[1]);
    if (ready != nullptr) {
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

// Plain copy: blocking socket calls with a fixed buffer; the receiver's time from the first
// byte to the last.
double plainCopy(const fs::path& source, const fs::path& target, std::size_t chunk) {
    const std::uint16_t port = fakes::freePort(SOCK_STREAM);
    int ready = 0;
    const Child receiver = spawn(
        [&](int signal) {
            const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
            const int on = 1;
            ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_port = htons(port);
            ::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
            ::listen(listener, 1);
            signalReady(signal);
            const int fd = ::accept(listener, nullptr, nullptr);
            std::FILE* out = std::fopen(target.c_str(), "wb");
            std::vector<char> buffer(chunk);
            Clock::time_point first{};
            bool started = false;
            for (;;) {
                const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
                if (n <= 0) {
                    break;
                }
                if (!started) {
                    first = Clock::now();
                    started = true;
                }
                [[maybe_unused]] const ssize_t w =
                    ::write(::fileno(out), buffer.data(), static_cast<std::size_t>(n));
            }
            std::fclose(out);
            return seconds(first, Clock::now());
        },
        &ready);
    const Child sender = spawn([&](int) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        const int in = ::open(source.c_str(), O_RDONLY);
        std::vector<char> buffer(chunk);
        for (;;) {
            const ssize_t n = ::read(in, buffer.data(), buffer.size());
            if (n <= 0) {
                break;
            }
            for (ssize_t sent = 0; sent < n;) {
                const ssize_t s =
                    ::send(fd, buffer.data() + sent, static_cast<std::size_t>(n - sent), 0);
                if (s <= 0) {
                    return 0.0;
                }
                sent += s;
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
// data began and ended (each chunk shows progress) and when the end mark came.
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
    double data = -1;  // first data byte to the last, one file
    double whole = -1; // connection to the end mark
};

// Couriel to Couriel: each side in its own process with its own event loop.
CourielTimes courielCopy(const fs::path& source, const std::string& selected,
                         const fs::path& target) {
    const std::uint16_t port = fakes::freePort(SOCK_STREAM);
    int ready = 0;
    const Child receiver = spawn(
        [&](int signal) {
            int argc = 1;
            char name[] = "bench_couriel";
            char* argv[] = {name, nullptr};
            QCoreApplication application(argc, argv);
            BenchView view({});
            platform::SystemHostInfo host;
            couriel::Receiver side(view, {}, common::CodePage("CP1251"), host,
                                   std::make_unique<couriel::TimerPauses>(), printMessage, port);
            side.start(target);
            signalReady(signal);
            QCoreApplication::exec();
            return CourielTimes{seconds(view.firstData, view.lastData),
                                seconds(view.connected, view.over)};
        },
        &ready);
    const Child sender = spawn([&](int) {
        int argc = 1;
        char name[] = "bench_couriel";
        char* argv[] = {name, nullptr};
        QCoreApplication application(argc, argv);
        BenchView view({selected});
        couriel::Sender side(view, {}, common::CodePage("CP1251"),
                             std::make_unique<couriel::TimerPauses>(), printMessage, port);
        side.start(source, "127.0.0.1");
        QCoreApplication::exec();
        return 0.0;
    });
    resultOf(sender);
    return resultOf<CourielTimes>(receiver);
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
    const double mib = static_cast<double>(size) / (1 << 20);

    // The machine may be busy with other work, so each way of copying runs three times, in
    // turns, and its best run counts. Every copy is deleted at once, so that no write-back of
    // an earlier one slows a later one.
    double plain4 = 1e9;
    double plain64 = 1e9;
    CourielTimes big{1e9, 1e9};
    bool bigSame = true;
    for (int round = 0; round < 3; ++round) {
        plain4 = std::min(plain4, plainCopy(work / "source/big.bin", work / "plain/big.bin", 4096));
        fs::remove(work / "plain/big.bin");
        const CourielTimes times = courielCopy(work / "source", "big.bin", work / "couriel");
        bigSame = bigSame && sameContent(work / "source/big.bin", work / "couriel/big.bin");
        fs::remove(work / "couriel/big.bin");
        if (times.data < big.data) {
            big = times;
        }
        plain64 =
            std::min(plain64, plainCopy(work / "source/big.bin", work / "plain/big.bin", 65536));
        fs::remove(work / "plain/big.bin");
    }
    std::printf(
        "one file of %.0f MiB over loopback, first byte to last at the receiver, best of 3\n", mib);
    std::printf("  plain TCP copy, 4 KiB reads and writes   %7.3f s  %7.1f MiB/s\n", plain4,
                mib / plain4);
    std::printf("  plain TCP copy, 64 KiB reads and writes  %7.3f s  %7.1f MiB/s\n", plain64,
                mib / plain64);
    std::printf("  Couriel to Couriel                       %7.3f s  %7.1f MiB/s  (%s)\n", big.data,
                mib / big.data, bigSame ? "same bytes" : "BYTES DIFFER");
    std::printf("  Couriel, connection to end mark          %7.3f s  (with the protocol's 150 ms "
                "of pauses)\n",
                big.whole);
    std::printf("  Couriel / 4 KiB plain copy: %.0f%% of its speed (goal: at least 80%%)\n",
                100.0 * plain4 / big.data);

    const CourielTimes small = courielCopy(work / "source", "small", work / "couriel");
    // 100 ms before each file's data, 200 ms before each header but the first, 50 ms before
    // the end mark.
    const double floor = 0.1 * smallFiles + 0.2 * (smallFiles - 1) + 0.05;
    std::printf("%d files of 4 KiB\n", smallFiles);
    std::printf("  Couriel, connection to end mark          %7.3f s\n", small.whole);
    std::printf("  floor of the pauses (about 0.3 s a file) %7.3f s\n", floor);
    std::printf("  above the floor: %.1f%% (goal: within 10%%)\n",
                100.0 * (small.whole - floor) / floor);
    bool smallSame = true;
    for (int i = 0; i < smallFiles; ++i) {
        smallSame = smallSame && sameContent(work / "source/small" / std::to_string(i),
                                             work / "couriel/small" / std::to_string(i));
    }
    std::printf("  %s\n", smallSame ? "same bytes" : "BYTES DIFFER");
    fs::remove_all(work);
    return bigSame && smallSame ? 0 : 1;
}
