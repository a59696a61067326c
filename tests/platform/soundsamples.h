#pragma once

#include <cstdint>
#include <sndfile.h>
#include <string>
#include <vector>

// Writes interleaved samples as a sound file of the given libsndfile format.
inline bool writeSoundFile(const std::string& path, const std::vector<std::int16_t>& samples,
                           int sampleRate, int channels,
                           int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16) {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        return false;
    }
    const auto frames = static_cast<sf_count_t>(samples.size() / channels);
    const bool written = sf_writef_short(file, samples.data(), frames) == frames;
    return sf_close(file) == 0 && written;
}
