// Effects and music on SDL's dummy audio driver (a real mixer that plays
// into nothing), and the no-sound path without any driver.
#include "sound/sound.h"

#include "app/base/exception.h"
#include "app/base/log.h"
#include "testdir.h"
#include "thrown.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Half a second of silence as 16-bit mono PCM WAV at 22050 Hz: an effect,
// and by its RIFF header a music track as well.
const std::string kSilentWav =
    std::string("RIFF\x24\x56\0\0WAVEfmt \x10\0\0\0\1\0\1\0\x22\x56\0\0\x44\xAC\0\0\2\0\x10\0data\0\x56\0\0", 44) +
    std::string(0x5600, '\0');

// A game directory with the ten effects, the menu track and the first two
// game tracks (the third is missing on purpose).
class SoundTest : public testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        for (int i = 0; i < kSoundCount; ++i)
            ASSERT_TRUE(WriteTestFile("data/sfx/" + std::string(SoundFileName(SoundId(i))), kSilentWav));
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(WriteTestFile(MusicFileName(i), kSilentWav));
        ResetLog();
    }
    void TearDown() override { FreeSound(); }
    ScopedTempDir dir;
};

}  // namespace

TEST_F(SoundTest, EffectsTakeTheEightChannelsInTurnAndPlayOnlyWhileSoundIsOnAndMusicFollowsItsSwitch)
{
    ASSERT_TRUE(InitSound(""));
    EXPECT_EQ(ChannelCount(), 8);
    for (int i = 0; i < kSoundCount; ++i)
        ASSERT_NE(SampleChunk(static_cast<SoundId>(i)), nullptr) << i;
    // Silent until the options switch sound on; the turn still moves on.
    EXPECT_TRUE(SoundOn() == 0 && MusicOn() == 0 && CurrentMusic() == -1);
    PlaySample(SoundId::Push);
    EXPECT_EQ(Mix_Playing(-1) * 10 + NextChannel(), 1);
    SetSoundOn(1);
    for (int i = 0; i < 8; ++i)
        PlaySample(SoundId::MenuChoice);
    EXPECT_EQ(Mix_Playing(-1), 8);
    PlaySample(SoundId::Explosion);  // cuts the oldest
    EXPECT_TRUE(Mix_GetChunk(1) == SampleChunk(SoundId::Explosion) &&
                Mix_GetChunk(2) == SampleChunk(SoundId::MenuChoice));
    EXPECT_TRUE(PlaySampleByName("data\\sfx\\selbomb.wav"));  // by file name, as the rules name their sounds
    EXPECT_EQ(Mix_GetChunk(2), SampleChunk(SoundId::SelectBomb));
    EXPECT_FALSE(PlaySampleByName("PUSH.WAV") || PlaySampleByName(nullptr));
    EXPECT_EQ(NextChannel(), 3);
    FreeSound();
    EXPECT_FALSE(SoundDeviceOpen() || SampleChunk(SoundId::Push) || SDL_WasInit(SDL_INIT_AUDIO));
    // A missing, then a damaged effect is named and leaves the device closed.
    std::remove("data/sfx/transfor.wav");
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(Thrown([] { InitSound(""); }), "Couldn't load sound data/sfx/transfor.wav\n|InitSound|sound");
        EXPECT_FALSE(SoundDeviceOpen() || SampleChunk(SoundId::MenuChoice));
        ASSERT_TRUE(WriteTestFile("data/sfx/transfor.wav", "RIFF\x24\x08junkWAVE"));
    }

    // Music follows its switch and changes tracks.
    ASSERT_TRUE(WriteTestFile("data/sfx/transfor.wav", kSilentWav));
    ASSERT_TRUE(InitSound(""));
    EXPECT_TRUE(PlayMusic(3) && CurrentMusic() == -1);  // music off: a missing track is never loaded
    SetMusicOn(1);                                      // starts the menu track
    EXPECT_TRUE(CurrentMusic() == 0 && Mix_PlayingMusic() == 1);
    EXPECT_TRUE(PlayMusic(1) && CurrentMusic() == 1);
    PauseMusic();
    EXPECT_EQ(Mix_PausedMusic(), 1);
    ResumeMusic();
    EXPECT_EQ(Mix_PausedMusic(), 0);
    // Leaving a game: the menu track again, the effects from the first channel.
    SetSoundOn(1);
    PlaySample(SoundId::Push);
    ResetSoundState();
    EXPECT_TRUE(CurrentMusic() == 0 && NextChannel() == 0 && Mix_Playing(-1) == 0);
    EXPECT_FALSE(PlayMusic(5) || PlayMusic(-1) || CurrentMusic() != 0);
    EXPECT_EQ(Thrown([] { PlayMusic(3); }), "Couldn't load Sample data/sfx/musicjeu3.zik\n|PlayMusic|sound");
    EXPECT_TRUE(CurrentMusic() == -1 && PlayMusic(2));
    SetMusicOn(0);
    EXPECT_TRUE(CurrentMusic() == -1 && Mix_PlayingMusic() == 0);
}

TEST_F(SoundTest, StartUpAppliesTheOptionsOrFallsBackToNoSound)
{
    int sound = 1, music = 1;
    EXPECT_TRUE(StartSound("", sound, music));
    EXPECT_TRUE(SoundOn() == 1 && MusicOn() == 1 && Mix_PlayingMusic() == 1);
    EXPECT_EQ(ReadTestLines("log.txt"), (std::vector<std::string>{"Init sound", "Play music"}));
    FreeSound();
    ResetLog();
    setenv("SDL_AUDIODRIVER", "none", 1);
    EXPECT_NE(CaptureStderr([&] { EXPECT_FALSE(StartSound("", sound, music)); }).find("Couldn't open audio"),
              std::string::npos);
    EXPECT_TRUE(sound == 0 && music == 0);
    EXPECT_EQ(ReadTestLines("log.txt"),
              (std::vector<std::string>{"Init sound", "no sound card detected : switch to no sound", "Play music"}));
    // Without a device the switches stay off and nothing reaches the mixer;
    // with no channel the turn is left alone rather than wrapped by zero.
    SetSoundOn(1);
    SetMusicOn(1);
    EXPECT_TRUE(SoundOn() == 0 && MusicOn() == 0 && ChannelCount() == 0);
    for (int i = 0; i < 20; ++i)
        PlaySample(SoundId::Push);
    EXPECT_EQ(NextChannel(), 0);
    EXPECT_TRUE(PlayMusic(0) && CurrentMusic() == -1);
    PauseMusic();
    ResumeMusic();
    ResetSoundState();
    StopMusic();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}
