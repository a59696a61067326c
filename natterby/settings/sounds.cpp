#include "natterby/settings/sounds.h"

#include <utility>

namespace natterby::settings {

Sounds::Sounds(const std::array<SoundSlot, kSoundSlotCount>& slots, platform::AudioOutput& output,
               WaveDecoder decoder)
    : slots_(slots), output_(output), decoder_(std::move(decoder)) {}

void Sounds::play(int slot, Tone tone) const {
    if (slot < 1 || slot > kSoundSlotCount) {
        return;
    }
    const SoundSlot& chosen = slots_[static_cast<std::size_t>(slot - 1)];
    if (chosen.pc != "0") {
        output_.play(platform::makeTone(tone.frequency, tone.milliseconds, kToneSampleRate));
        return;
    }
    if (chosen.s.empty()) {
        return;
    }
    // Each play decodes the file anew, so a file replaced on disk is heard at once.
    if (const auto sound = decoder_(chosen.s)) {
        output_.play(*sound);
    }
}

} // namespace natterby::settings
