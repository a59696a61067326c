#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Interleaved signed 16-bit samples: frame after frame, one sample per channel in each.
struct Pcm {
    std::vector<std::int16_t> samples;
    int sampleRate = 0;
    int channels = 1;
};

// Where sounds go. Playing is synchronous: play returns when the sound has ended, and the
// chat relies on that (it answers a sound call only after the call has been heard).
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    virtual void play(const Pcm& sound) = 0;
};

// ALSA's "default" device. Sounds are a courtesy: without a device, or on any ALSA error, the
// sound is skipped silently and play returns.
class AlsaOutput final : public AudioOutput {
public:
    // Silences ALSA's own error printing for the whole process; a missing sound card is normal
    // on the machines the chat runs on and must not fill the terminal.
    AlsaOutput();
    void play(const Pcm& sound) override;
};

// The samples of a wave file, converted to 16 bits. Nothing when the file is missing,
// unreadable, not a regular file, or not a wave file. A sound longer than kMaxWaveSamples
// samples is cut there, which bounds the memory an odd file can take.
inline constexpr std::size_t kMaxWaveSamples = std::size_t{48000} * 2 * 600;
std::optional<Pcm> decodeWaveFile(const std::string& path);

// A mono sine of exactly this frequency lasting exactly sampleRate * milliseconds / 1000
// samples. Its first and last few milliseconds fade in and out, so that the speaker does not
// click; the fade changes the loudness only, never where the wave crosses zero. Nothing for a
// frequency, duration or rate that is not positive.
Pcm makeTone(int frequency, int milliseconds, int sampleRate);

} // namespace platform
