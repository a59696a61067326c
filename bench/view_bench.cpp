// 10,000 received chat lines through the whole chat into the real main window on Qt's offscreen
// platform: accept, dispatch, the line laid out in its view with its link, the view scrolled to
// its end, and the view emptied whenever it passes 50,000 characters, then the events that the
// burst left for the event loop. The goal is the 10,000 lines in 0.25 s or less; the view's
// length and the process's peak memory show that the bound holds.
#include "natterby/mainwindow/chatviewwidget.h"
#include "natterby/mainwindow/mainwindow.h"
#include "natterby/protocol/messages.h"
#include "natterby/session/transports.h"
#include "natterby/transport/framing.h"
#include "tests/fakes/qtapplication.h"
#include "tests/fakes/sessionfakes.h"

#include <QCoreApplication>
#include <QTabWidget>
#include <benchmark/benchmark.h>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kLines = 10000;

class Network : public natterby::session::Transports {
public:
    std::optional<natterby::transport::ESocketError> sendPacket(std::string_view packet) override {
        last.assign(packet);
        return std::nullopt;
    }
    std::optional<std::string> openIpx(std::uint16_t) override { return std::nullopt; }
    void openUdp(std::int32_t, const std::string&) override {}
    void close() override {}
    std::string last;
};

// Bob's lines, framed as his copy sends them: every one with a header of its own.
std::vector<std::string> framedLines() {
    Network capture;
    std::mt19937 random(5);
    natterby::transport::Framing bob(capture,
                                     [&random] { return static_cast<int>(random() % 95); });
    std::vector<std::string> packets;
    packets.reserve(kLines);
    for (int i = 0; i < kLines; ++i) {
        bob.send(
            natterby::protocol::chatLine("#Main", "Bob",
                                         "Line " + std::to_string(i) +
                                             ": is anyone up for lunch at noon? www.example.com"),
            true);
        packets.push_back(capture.last);
    }
    return packets;
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_ReceivedLinesIntoTheWindow(benchmark::State& state) {
    fakes::qtApplication();
    fakes::SessionFakes parts;
    parts.folder.write("Interf.ini", "[Net]\r\nIPX=false\r\n[Nicks]\r\nCurrent=Ann\r\n");
    Network network;
    natterby::mainwindow::MainWindow window({parts.seams(&network), [] {}});
    window.start();

    auto* view = static_cast<natterby::mainwindow::ChatViewWidget*>(
        window.findChild<QTabWidget*>("tabs")->widget(0));
    const std::vector<std::string> lines = framedLines();
    std::vector<std::string> batch;
    for (auto _ : state) {
        state.PauseTiming();
        batch = lines; // receiving unscrambles in place
        state.ResumeTiming();
        for (std::string& packet : batch) {
            window.session().receive(packet);
        }
        // The burst goes into the view as the view's flush timer would put it, without waiting
        // for the timer.
        view->flush();
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * kLines);
    state.counters["view_chars"] = static_cast<double>(view->document()->characterCount());
    state.counters["peak_MB"] = static_cast<double>(peakKilobytes()) / 1024.0;
    state.counters["sounds"] = static_cast<double>(parts.sound.played.size());
}
BENCHMARK(BM_ReceivedLinesIntoTheWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
