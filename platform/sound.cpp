#include "platform/sound.h"

#include <algorithm>
#include <alsa/asoundlib.h>
#include <cmath>
#include <filesystem>
#include <memory>
#include <numbers>
#include <sndfile.h>
#include <system_error>

namespace platform {

namespace {

void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

constexpr unsigned kAlsaLatencyMicroseconds = 100000;
// A device that keeps failing after recovery (unplugged, suspended for good) must not keep the
// chat in a loop.
constexpr int kMaxWriteFailures = 3;

constexpr sf_count_t kDecodeChunkFrames = 4096;

constexpr double kToneAmplitude = 16384.0;
constexpr int kToneFadeMilliseconds = 5;

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

struct AlsaCloser {
    void operator()(snd_pcm_t* pcm) const { snd_pcm_close(pcm); }
};

void writeAll(snd_pcm_t* pcm, const Pcm& sound) {
    const std::int16_t* data = sound.samples.data();
    auto left = static_cast<snd_pcm_uframes_t>(sound.samples.size() / sound.channels);
    int failures = 0;
    while (left > 0 && failures < kMaxWriteFailures) {
        const snd_pcm_sframes_t written = snd_pcm_writei(pcm, data, left);
        if (written <= 0) {
            ++failures;
            // An underrun or a suspend can be recovered; anything else ends the sound.
            if (written < 0 && snd_pcm_recover(pcm, static_cast<int>(written), 1) < 0) {
                return;
            }
            continue;
        }
        failures = 0;
        data += written * sound.channels;
        left -= static_cast<snd_pcm_uframes_t>(written);
    }
}

// Rises from 0 to 1 over fade samples along half a cosine, whose zero slope at both ends
// keeps the speaker from clicking.
double fadeGain(std::size_t distanceFromEdge, std::size_t fade) {
    if (distanceFromEdge >= fade) {
        return 1.0;
    }
    return 0.5 * (1.0 - std::cos(std::numbers::pi * static_cast<double>(distanceFromEdge) /
                                 static_cast<double>(fade)));
}

} // namespace

AlsaOutput::AlsaOutput() {
    snd_lib_error_set_handler(ignoreAlsaError);
}

void AlsaOutput::play(const Pcm& sound) {
    if (sound.sampleRate <= 0 || sound.channels <= 0 ||
        sound.samples.size() < static_cast<std::size_t>(sound.channels)) {
        return;
    }
    snd_pcm_t* raw = nullptr;
    if (snd_pcm_open(&raw, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0) {
        return;
    }
    const std::unique_ptr<snd_pcm_t, AlsaCloser> pcm(raw);
    // Resampling is allowed so that a wave file of any rate plays on any device.
    if (snd_pcm_set_params(pcm.get(), SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED,
                           static_cast<unsigned>(sound.channels),
                           static_cast<unsigned>(sound.sampleRate), 1,
                           kAlsaLatencyMicroseconds) < 0) {
        return;
    }
    writeAll(pcm.get(), sound);
    // Draining is what makes play synchronous: it returns once the device has played the end.
    snd_pcm_drain(pcm.get());
}

std::optional<Pcm> decodeWaveFile(const std::string& path) {
    // A named pipe or a device would block the open or never end; only plain files are sounds.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, SndfileCloser> file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) {
        return std::nullopt;
    }
    const int type = info.format & SF_FORMAT_TYPEMASK;
    if ((type != SF_FORMAT_WAV && type != SF_FORMAT_WAVEX) || info.channels <= 0 ||
        info.samplerate <= 0) {
        return std::nullopt;
    }
    Pcm sound{{}, info.samplerate, info.channels};
    const auto channels = static_cast<std::size_t>(info.channels);
    std::vector<std::int16_t> chunk(static_cast<std::size_t>(kDecodeChunkFrames) * channels);
    // The frame count in the header is not trusted: reading goes on until the data ends.
    while (sound.samples.size() < kMaxWaveSamples) {
        const sf_count_t frames = sf_readf_short(file.get(), chunk.data(), kDecodeChunkFrames);
        if (frames <= 0) {
            break;
        }
        const std::size_t room = (kMaxWaveSamples - sound.samples.size()) / channels * channels;
        const std::size_t count = std::min(static_cast<std::size_t>(frames) * channels, room);
        if (count == 0) {
            break;
        }
        sound.samples.insert(sound.samples.end(), chunk.begin(),
                             chunk.begin() + static_cast<std::ptrdiff_t>(count));
    }
    return sound;
}

Pcm makeTone(int frequency, int milliseconds, int sampleRate) {
    Pcm tone{{}, sampleRate, 1};
    if (frequency <= 0 || milliseconds <= 0 || sampleRate <= 0) {
        return tone;
    }
    const auto count = static_cast<std::size_t>(std::int64_t{sampleRate} * milliseconds / 1000);
    const auto fade = std::min(count / 2, static_cast<std::size_t>(std::int64_t{sampleRate} *
                                                                   kToneFadeMilliseconds / 1000));
    tone.samples.resize(count);
    for (std::size_t n = 0; n < count; ++n) {
        // The phase is reduced in integers, so that it does not drift over a long tone.
        const auto cycle = static_cast<std::int64_t>(n) * frequency % sampleRate;
        const double phase = 2.0 * std::numbers::pi * static_cast<double>(cycle) / sampleRate;
        const double gain = fadeGain(n, fade) * fadeGain(count - 1 - n, fade);
        tone.samples[n] =
            static_cast<std::int16_t>(std::lround(kToneAmplitude * gain * std::sin(phase)));
    }
    return tone;
}

} // namespace platform
