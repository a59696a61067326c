#include "natterby/settings/sounds.h"
#include "tests/fakes/tempfolder.h"
#include "tests/platform/soundsamples.h"

#include <gtest/gtest.h>

namespace {

using namespace natterby::settings;

class RecordingOutput : public platform::AudioOutput {
public:
    void play(const platform::Pcm& sound) override { played.push_back(sound.samples); }
    std::vector<std::vector<std::int16_t>> played;
};

class SoundSlots : public testing::Test {
protected:
    TempFolder folder;
    const std::string wave = folder.file("ding.wav");
    const std::vector<std::int16_t> waveSamples{0, 900, 1800, 900, 0, -900, -1800, -900};
    std::array<SoundSlot, kSoundSlotCount> slots;
    RecordingOutput output;
    Sounds sounds{slots, output, platform::decodeWaveFile};
};

TEST_F(SoundSlots, OnlyPcExactlyZeroPlaysTheFile) {
    ASSERT_TRUE(writeSoundFile(wave, waveSamples, 11025, 1));
    const std::vector<std::int16_t> tone = platform::makeTone(1600, 100, kToneSampleRate).samples;
    const std::vector<std::int16_t> silence;
    const std::tuple<const char*, std::string, std::vector<std::int16_t>> cases[] = {
        {"0", "", silence}, {"0", wave, waveSamples}, {"0", folder.file("none.wav"), silence},
        {"1", wave, tone},  {"2", "", tone},          {"00", wave, tone},
        {"", wave, tone},
    };
    for (const auto& [pc, s, heard] : cases) {
        SCOPED_TRACE(testing::Message() << "PC \"" << pc << "\" S \"" << s << "\"");
        slots[2] = {s, pc};
        output.played.clear();
        sounds.play(kChatLineSlot, kChatLineTone);
        EXPECT_EQ(output.played,
                  heard.empty() ? decltype(output.played){} : decltype(output.played){heard});
    }
}

TEST_F(SoundSlots, TonesHaveTheirFrequencyAndDuration) {
    for (const auto& [slot, tone] : {std::pair{kMessageSlot, kMessageTone},
                                     {kStartChatSlot, kStartChatTone},
                                     {kBeepSlot, kPersonalCallTone},
                                     {kBeepSlot, kChannelCallTone}}) {
        SCOPED_TRACE(tone.frequency);
        slots[slot - 1].pc = "1";
        output.played.clear();
        sounds.play(slot, tone);
        ASSERT_EQ(output.played.size(), 1u);
        EXPECT_EQ(output.played[0].size(), kToneSampleRate / 1000u * tone.milliseconds);
        EXPECT_NEAR(zeroCrossings(output.played[0]), 2 * tone.frequency * tone.milliseconds / 1000,
                    1.0);
    }
    sounds.play(0, kMessageTone);
    sounds.play(6, kMessageTone);
    EXPECT_EQ(output.played.size(), 1u);
}

} // namespace
