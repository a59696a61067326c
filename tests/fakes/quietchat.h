#pragma once

#include "natterby/protocol/chat.h"
#include "tests/fakes/seams.h"

#include <random>
#include <string>

namespace fakes {

// A window that shows nothing and answers every question with No.
class NullView final : public natterby::protocol::ChatView {
public:
    void appendText(int, natterby::protocol::Font, std::string_view) override {}
    void tabAdded(const std::string&) override {}
    void tabRemoved(int) override {}
    void currentTabChanged(int) override {}
    void tabUnreadChanged(int, bool) override {}
    void rosterChanged() override {}
    void refreshCaptionChanged(const std::string&) override {}
    void ownNickChanged(const std::string&) override {}
    void captionChanged(const std::string&) override {}
    void trayTipChanged(const std::string&) override {}
    void trayIconChanged(int) override {}
    void showBalloon(const std::string&, const std::string&) override {}
    void hideBalloon() override {}
    void restoreWindow() override {}
    void openReceivedMessage(std::string_view, const std::string&, const std::string&,
                             bool) override {}
    void openInformation(const natterby::protocol::InformationAnswer&) override {}
    bool askYesNo(const std::string&) override { return false; }
    void showMessage(const std::string&) override {}
    void otherChannelsAnswered(const std::vector<std::string>&) override {}
};

class NullSound final : public natterby::protocol::SoundPlayer {
public:
    void play(int, natterby::settings::Tone) override {}
};

// A chat whose window and sound do nothing and that keeps only the last packet it sent: for the
// fuzzer and the benchmarks, where recording every line would only grow without end. What it
// starts or tells Couriel, which only a fuzz input reaches, is recorded. The folder (ending in
// '/') is its program folder.
class QuietChat final : public natterby::transport::PacketSink {
public:
    QuietChat(const natterby::protocol::ChatTexts& texts, const common::CodePage& codePage,
              const std::string& folder, natterby::settings::Settings initial)
        : settings(std::move(initial)), settingsFile(folder + "Interf.ini"),
          framing(*this, [this] { return static_cast<int>(random() % 95); }),
          chat(view, {framing, settings, settingsFile, texts, sound, launcher, host, clock,
                      [this](int bound) { return static_cast<int>(random() % bound); }, couriel,
                      codePage, folder, folder}) {}

    std::optional<natterby::transport::ESocketError> sendPacket(std::string_view packet) override {
        lastSent.assign(packet);
        return std::nullopt;
    }

    std::string lastSent;
    natterby::settings::Settings settings;
    common::ProfileFile settingsFile;
    NullView view;
    NullSound sound;
    RecordingLauncher launcher;
    FixedHost host;
    FixedClock clock;
    RecordingCouriel couriel;
    std::minstd_rand random;
    natterby::transport::Framing framing;
    natterby::protocol::Chat chat;
};

} // namespace fakes
