#include "platform/sound.h"
#include "tests/fakes/tempfolder.h"
#include "tests/platform/soundsamples.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

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

} // namespace
