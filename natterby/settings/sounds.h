#pragma once

#include "natterby/settings/settings.h"
#include "platform/sound.h"

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace natterby::settings {

struct Tone {
    int frequency = 0; // Hz
    int milliseconds = 0;
};

// The slots, and the tone that stands in for each when the speaker is chosen.
inline constexpr int kMessageSlot = 1;      // private or mass message received
inline constexpr int kConfirmationSlot = 2; // a sent message arrived
inline constexpr int kChatLineSlot = 3;     // chat line or topic change
inline constexpr int kStartChatSlot = 4;    // talk invitation
inline constexpr int kBeepSlot = 5;         // sound call

inline constexpr Tone kMessageTone{1400, 100};
inline constexpr Tone kConfirmationTone{1500, 100};
inline constexpr Tone kChatLineTone{1600, 100};
inline constexpr Tone kStartChatTone{1550, 150};
inline constexpr Tone kPersonalCallTone{1500, 500};
inline constexpr Tone kChannelCallTone{2000, 500};

inline constexpr int kToneSampleRate = 48000;

// Plays the sound of an event, synchronously: the caller goes on only when it has ended.
class Sounds {
public:
    using WaveDecoder = std::function<std::optional<platform::Pcm>(const std::string& path)>;

    // slots is the running program's own value, which the options dialog replaces while the
    // program runs; it must outlive this object.
    Sounds(const std::array<SoundSlot, kSoundSlotCount>& slots, platform::AudioOutput& output,
           WaveDecoder decoder);

    // Slot 1 to 5. A slot whose PC value is exactly "0" plays its sound file, or nothing when it
    // has none or the file cannot be read; any other value sounds the tone.
    void play(int slot, Tone tone) const;

private:
    const std::array<SoundSlot, kSoundSlotCount>& slots_;
    platform::AudioOutput& output_;
    WaveDecoder decoder_;
};

} // namespace natterby::settings
