#include "platform/sound.h"
#include "tests/fakes/tempfolder.h"
#include "tests/platform/soundsamples.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <span>
#include <sys/stat.h>

namespace {

using platform::Pcm;

int peak(std::span<const std::int16_t> samples) {
    int result = 0;
    for (const std::int16_t sample : samples) {
        result = std::max(result, std::abs(int{sample}));
    }
    return result;
}

TEST(MakeTone, KeepsFrequencyAndDurationExactAndFadesInAndOut) {
    const int cases[][3] = {{1400, 100, 48000},
                            {1550, 150, 48000},
                            {2000, 500, 48000},
                            {1500, 100, 44100},
                            {440, 33, 8000}};
    for (const auto [frequency, milliseconds, rate] : cases) {
        SCOPED_TRACE(testing::Message()
                     << frequency << " Hz " << milliseconds << " ms at " << rate);
        const Pcm tone = platform::makeTone(frequency, milliseconds, rate);
        EXPECT_EQ(tone.sampleRate, rate);
        EXPECT_EQ(tone.samples.size(), std::size_t(rate) * milliseconds / 1000);
        // The first and last crossings may fall outside the samples.
        EXPECT_NEAR(zeroCrossings(tone.samples), 2.0 * frequency * milliseconds / 1000, 1.5);
    }
    EXPECT_TRUE(platform::makeTone(0, 100, 48000).samples.empty());
    EXPECT_TRUE(platform::makeTone(1500, -5, 48000).samples.empty());
    EXPECT_TRUE(platform::makeTone(1500, 100, 0).samples.empty());

    // Fades in and out, but plays at full loudness between.
    const std::vector<std::int16_t> s = platform::makeTone(1500, 100, 48000).samples;
    const int full = peak(std::span(s).subspan(1000, s.size() - 2000));
    EXPECT_GT(full, 10000);
    // The first and last half millisecond stay far below the full loudness: no click.
    EXPECT_LT(peak(std::span(s).first(24)), full / 20);
    EXPECT_LT(peak(std::span(s).last(24)), full / 20);
}

TEST(DecodeWaveFile, GivesTheSamplesAndFormatOfAWaveFileAndRefusesAnythingElse) {
    TempFolder folder;
    const std::vector<std::int16_t> samples{0, 100, -100, 32767, -32768, 5, 7, -7};
    ASSERT_TRUE(writeSoundFile(folder.file("stereo.wav"), samples, 22050, 2));
    const auto sound = platform::decodeWaveFile(folder.file("stereo.wav"));
    ASSERT_TRUE(sound.has_value());
    EXPECT_EQ(sound->sampleRate, 22050);
    EXPECT_EQ(sound->channels, 2);
    EXPECT_EQ(sound->samples, samples);

    // What is not a readable wave file is refused.
    ASSERT_TRUE(writeSoundFile(folder.file("sound.aiff"), samples, 8000, 1,
                               SF_FORMAT_AIFF | SF_FORMAT_PCM_16));
    folder.write("cut.wav", TempFolder::read(folder.file("stereo.wav")).substr(0, 20));
    folder.write("text.wav", "RIFF, but only in words");
    ASSERT_EQ(mkfifo(folder.file("pipe.wav").c_str(), 0600), 0);

    for (const char* name : {"missing.wav", "", "sound.aiff", "cut.wav", "text.wav", "pipe.wav"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(platform::decodeWaveFile(folder.file(name)).has_value());
    }
}

TEST(AlsaOutput, ReturnsWhateverTheDeviceAndTheSound) {
    // Without a sound card every play is silent; with one, these are short.
    platform::AlsaOutput output;
    output.play(platform::makeTone(1500, 20, 48000));
    output.play(Pcm{});
    output.play(Pcm{{1, 2, 3}, 48000, 4});
    output.play(Pcm{{1, 2, 3, 4}, 0, 2});
    output.play(Pcm{{1, 2, 3, 4}, 48000, 5000});
}

} // namespace
