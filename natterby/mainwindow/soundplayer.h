#pragma once

#include "natterby/protocol/chat.h"
#include "natterby/settings/sounds.h"

namespace natterby::mainwindow {

// The sound slots as the chat core plays them.
class SoundPlayer : public protocol::SoundPlayer {
public:
    explicit SoundPlayer(const settings::Sounds& sounds) : sounds_(sounds) {}
    void play(int slot, settings::Tone tone) override { sounds_.play(slot, tone); }

private:
    const settings::Sounds& sounds_;
};

} // namespace natterby::mainwindow
