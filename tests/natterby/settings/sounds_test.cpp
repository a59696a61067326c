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

TEST_F(SoundSlots, OnlyPcExactlyZeroPlaysTheFileAndSlotsOutsideTheTablePlayNothing) {
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
    // Slots are numbered from 1; numbers outside the table play nothing.
    output.played.clear();
    sounds.play(0, kMessageTone);
    sounds.play(kSoundSlotCount + 1, kMessageTone);
    EXPECT_TRUE(output.played.empty());
}

} // namespace
