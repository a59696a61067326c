#include "natterby/settings/sounds.h"
#include "tests/fakes/tempfolder.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>

namespace {

using namespace natterby::settings;
using Samples = std::vector<std::int16_t>;

class RecordingOutput : public platform::AudioOutput {
public:
    void play(const platform::Pcm& sound) override { played.push_back(sound); }
    std::vector<platform::Pcm> played;
};

// Writes interleaved samples as a sound file of the given libsndfile format.
bool writeSoundFile(const std::string& path, const Samples& samples, int sampleRate, int channels,
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

TEST(SoundSlots, OnlyPcExactlyZeroPlaysTheFileAndOnlyAReadableWaveFile) {
    TempFolder folder;
    const Samples wave{0, 100, -100, 32767, -32768, 5, 7, -7};
    ASSERT_TRUE(writeSoundFile(folder.file("stereo.wav"), wave, 22050, 2));
    ASSERT_TRUE(writeSoundFile(folder.file("sound.aiff"), wave, 8000, 1,
                               SF_FORMAT_AIFF | SF_FORMAT_PCM_16));
    folder.write("cut.wav", TempFolder::read(folder.file("stereo.wav")).substr(0, 20));
    folder.write("text.wav", "RIFF, but only in words");
    ASSERT_EQ(mkfifo(folder.file("pipe.wav").c_str(), 0600), 0);
    std::array<SoundSlot, kSoundSlotCount> slots;
    RecordingOutput output;
    const Sounds sounds{slots, output, platform::decodeWaveFile};
    const Samples tone = platform::makeTone(1600, 100, kToneSampleRate).samples;
    const std::tuple<const char*, const char*, Samples> cases[] = {
        {"0", "", {}},
        {"0", "stereo.wav", wave},
        {"1", "stereo.wav", tone},
        {"2", "", tone},
        {"00", "stereo.wav", tone},
        {"", "stereo.wav", tone},
        // What is not a readable wave file plays nothing.
        {"0", "none.wav", {}},
        {"0", ".", {}},
        {"0", "sound.aiff", {}},
        {"0", "cut.wav", {}},
        {"0", "text.wav", {}},
        {"0", "pipe.wav", {}},
    };
    for (const auto& [pc, s, heard] : cases) {
        SCOPED_TRACE(testing::Message() << "PC \"" << pc << "\" S \"" << s << "\"");
        slots[2] = {*s ? folder.file(s) : "", pc};
        output.played.clear();
        sounds.play(kChatLineSlot, kChatLineTone);
        ASSERT_EQ(output.played.size(), heard.empty() ? 0u : 1u);
        if (!heard.empty()) {
            EXPECT_EQ(output.played[0].samples, heard);
        }
    }
    // A wave file plays at its own rate and channels.
    slots[2] = {folder.file("stereo.wav"), "0"};
    sounds.play(kChatLineSlot, kChatLineTone);
    EXPECT_EQ(output.played.back().sampleRate, 22050);
    EXPECT_EQ(output.played.back().channels, 2);
    // Slots are numbered from 1; numbers outside the table play nothing.
    output.played.clear();
    sounds.play(0, kMessageTone);
    sounds.play(kSoundSlotCount + 1, kMessageTone);
    EXPECT_TRUE(output.played.empty());
}

} // namespace
