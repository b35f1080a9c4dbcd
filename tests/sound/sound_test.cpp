#include "sound/sound.h"

#include "app/exception.h"
#include "app/log.h"
#include "audiofiles.h"
#include "testdir.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

// A game directory with the ten effects and the menu and first two game
// tracks (the last two are missing on purpose).
class SoundTest : public testing::Test {
protected:
    void SetUp() override
    {
        SDL_Init(SDL_INIT_TIMER);
        for (int i = 0; i < kSoundCount; ++i)
            ASSERT_TRUE(WriteToneWav(Sfx(SoundFileName(static_cast<SoundId>(i))), 1.5, 220.0 + 40 * i));
        ASSERT_TRUE(WriteToneOgg(dir.file(MusicFileName(0)), 1.0, 330));
        ASSERT_TRUE(WriteToneOgg(dir.file(MusicFileName(1)), 1.0, 440));
        ASSERT_TRUE(WriteToneOgg(dir.file(MusicFileName(2)), 1.0, 550));
        ResetLog();
    }
    void TearDown() override
    {
        FreeSound();
        SDL_Quit();
    }
    std::string Sfx(const char* name)
    {
        std::string path = dir.file(std::string("data/sfx/") + name);
        WriteTestFile(path, "");  // makes the directory
        return path;
    }
    static void UseDriver(const char* name) { setenv("SDL_AUDIODRIVER", name, 1); }

    ScopedTempDir dir;
};

}  // namespace

TEST_F(SoundTest, OpensTheDeviceLoadsTheEffectsAndStartsSilent)
{
    UseDriver("dummy");
    ASSERT_TRUE(InitSound(""));
    EXPECT_TRUE(SoundDeviceOpen());
    EXPECT_EQ(ChannelCount(), 8);
    EXPECT_EQ(NextChannel(), 0);
    for (int i = 0; i < kSoundCount; ++i) {
        Mix_Chunk* c = SampleChunk(static_cast<SoundId>(i));
        ASSERT_NE(c, nullptr) << i;
        EXPECT_EQ(Mix_VolumeChunk(c, -1), 31);
    }
    EXPECT_EQ(SoundOn(), 0);
    EXPECT_EQ(MusicOn(), 0);
    EXPECT_EQ(CurrentMusic(), -1);
    // With sound off an effect never reaches the mixer.
    PlaySample(SoundId::Push);
    EXPECT_EQ(Mix_Playing(-1), 0);

    FreeSound();
    EXPECT_FALSE(SoundDeviceOpen());
    EXPECT_EQ(SampleChunk(SoundId::Push), nullptr);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

TEST_F(SoundTest, EffectsTakeTheChannelsInTurn)
{
    UseDriver("dummy");
    ASSERT_TRUE(InitSound(""));
    SetSoundOn(1);
    for (int i = 0; i < 8; ++i)
        PlaySample(SoundId::MenuChoice);
    EXPECT_EQ(NextChannel(), 0);
    EXPECT_EQ(Mix_Playing(-1), 8);
    // The ninth effect takes the first channel again and cuts what played.
    PlaySample(SoundId::Explosion);
    EXPECT_EQ(Mix_GetChunk(0), SampleChunk(SoundId::Explosion));
    EXPECT_EQ(Mix_GetChunk(1), SampleChunk(SoundId::MenuChoice));
    EXPECT_EQ(NextChannel(), 1);

    // By file name, as the rules name their sounds.
    EXPECT_TRUE(PlaySampleByName("push.wav"));
    EXPECT_EQ(Mix_GetChunk(1), SampleChunk(SoundId::Push));
    EXPECT_TRUE(PlaySampleByName("data\\sfx\\selbomb.wav"));
    EXPECT_EQ(Mix_GetChunk(2), SampleChunk(SoundId::SelectBomb));
    EXPECT_FALSE(PlaySampleByName("nothing.wav"));
    EXPECT_FALSE(PlaySampleByName(nullptr));
    EXPECT_EQ(NextChannel(), 3);

    SoundId id;
    ASSERT_TRUE(SoundIdFromFileName("transfor.wav", id));
    EXPECT_EQ(id, SoundId::Transform);
    ASSERT_TRUE(SoundIdFromFileName("data/sfx/menuclic.wav", id));
    EXPECT_EQ(id, SoundId::MenuClick);
    EXPECT_FALSE(SoundIdFromFileName("PUSH.WAV", id));

    // Switched off: the channel still moves on but nothing new plays.
    Mix_HaltChannel(-1);
    SetSoundOn(0);
    PlaySample(SoundId::Error1);
    EXPECT_EQ(Mix_Playing(-1), 0);
    EXPECT_EQ(NextChannel(), 4);
}

TEST_F(SoundTest, MusicSwitchesTracksAndFollowsTheMusicSwitch)
{
    UseDriver("dummy");
    ASSERT_TRUE(InitSound(""));
    // Music off: nothing is loaded, so a missing track does not matter.
    EXPECT_TRUE(PlayMusic(3));
    EXPECT_EQ(CurrentMusic(), -1);
    EXPECT_EQ(Mix_PlayingMusic(), 0);

    SetMusicOn(1);  // starts the menu track
    EXPECT_EQ(CurrentMusic(), 0);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    EXPECT_EQ(Mix_VolumeMusic(-1), 63);

    EXPECT_TRUE(PlayMusic(1));
    EXPECT_EQ(CurrentMusic(), 1);
    EXPECT_EQ(Mix_PlayingMusic(), 1);

    PauseMusic();
    EXPECT_EQ(Mix_PausedMusic(), 1);
    ResumeMusic();
    EXPECT_EQ(Mix_PausedMusic(), 0);

    // Switching music on again starts the menu track, even during a game.
    SetMusicOn(1);
    EXPECT_EQ(CurrentMusic(), 0);

    EXPECT_FALSE(PlayMusic(5));
    EXPECT_FALSE(PlayMusic(-1));
    EXPECT_EQ(CurrentMusic(), 0);

    try {
        PlayMusic(3);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message, "Couldn't load Sample data/sfx/musicjeu3.zik\n");
        EXPECT_EQ(e.function, "PlayMusic");
        EXPECT_EQ(e.file, "sound");
    }
    EXPECT_EQ(CurrentMusic(), -1);

    EXPECT_TRUE(PlayMusic(2));
    SetMusicOn(0);
    EXPECT_EQ(CurrentMusic(), -1);
    EXPECT_EQ(Mix_PlayingMusic(), 0);

    // Leaving a game brings the menu track back when music is on.
    SetMusicOn(1);
    SetSoundOn(1);
    PlayMusic(1);
    PlaySample(SoundId::Push);
    ResetSoundState();
    EXPECT_EQ(CurrentMusic(), 0);
    EXPECT_EQ(NextChannel(), 0);
    EXPECT_EQ(Mix_Playing(-1), 0);

    StopMusic();
    EXPECT_EQ(CurrentMusic(), -1);
}

TEST_F(SoundTest, AMissingEffectIsNamedAndLeavesTheDeviceClosed)
{
    UseDriver("dummy");
    std::remove(dir.file("data/sfx/transfor.wav").c_str());
    try {
        InitSound("");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message, "Couldn't load sound data/sfx/transfor.wav\n");
        EXPECT_EQ(e.function, "InitSound");
        EXPECT_EQ(e.file, "sound");
    }
    EXPECT_FALSE(SoundDeviceOpen());
    EXPECT_EQ(SampleChunk(SoundId::MenuChoice), nullptr);

    // A damaged effect is refused the same way.
    ASSERT_TRUE(WriteTestFile(dir.file("data/sfx/transfor.wav"), "RIFF\x10\0\0\0WAVEjunk"));
    EXPECT_THROW(InitSound(""), Exception);
    EXPECT_FALSE(SoundDeviceOpen());
}

TEST_F(SoundTest, WithoutADeviceTheSwitchesStayOffAndNothingIsCalled)
{
    UseDriver("none");
    std::string err = CaptureStderr([] { EXPECT_FALSE(InitSound("")); });
    EXPECT_NE(err.find("Couldn't open audio"), std::string::npos);
    EXPECT_FALSE(SoundDeviceOpen());
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    EXPECT_EQ(ChannelCount(), 0);

    SetSoundOn(1);
    SetMusicOn(1);
    EXPECT_EQ(SoundOn(), 0);
    EXPECT_EQ(MusicOn(), 0);
    for (int i = 0; i < 20; ++i)
        PlaySample(SoundId::Push);  // no channel: the counter is left alone
    EXPECT_EQ(NextChannel(), 0);
    EXPECT_TRUE(PlayMusic(0));
    EXPECT_EQ(CurrentMusic(), -1);
    PauseMusic();
    ResumeMusic();
    ResetSoundState();
    StopMusic();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

TEST_F(SoundTest, StartUpFallsBackToNoSoundWithoutADevice)
{
    UseDriver("none");
    int sound = 1, music = 1;
    CaptureStderr([&] { EXPECT_FALSE(StartSound("", sound, music)); });
    EXPECT_EQ(sound, 0);
    EXPECT_EQ(music, 0);
    EXPECT_EQ(SoundOn(), 0);
    EXPECT_EQ(MusicOn(), 0);
    std::vector<std::string> log = ReadTestLines(dir.file("log.txt"));
    std::vector<std::string> expected = {"Init sound", "no sound card detected : switch to no sound", "Play music"};
    EXPECT_EQ(log, expected);
}

TEST_F(SoundTest, StartUpAppliesTheOptionsAndStartsTheMenuTrack)
{
    UseDriver("dummy");
    int sound = 1, music = 1;
    EXPECT_TRUE(StartSound("", sound, music));
    EXPECT_EQ(sound, 1);
    EXPECT_EQ(music, 1);
    EXPECT_EQ(SoundOn(), 1);
    EXPECT_EQ(MusicOn(), 1);
    EXPECT_EQ(CurrentMusic(), 0);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    std::vector<std::string> expected = {"Init sound", "Play music"};
    EXPECT_EQ(ReadTestLines(dir.file("log.txt")), expected);
    FreeSound();

    sound = 0;
    music = 0;
    ResetLog();
    EXPECT_TRUE(StartSound("", sound, music));
    EXPECT_EQ(SoundOn(), 0);
    EXPECT_EQ(MusicOn(), 0);
    EXPECT_EQ(CurrentMusic(), -1);
}
