// The screens' sounds, heard through SDL_mixer on SDL's dummy audio device:
// the last channel used tells which effect a screen played.
#include "screens_fixture.h"

#include "app/base/files.h"
#include "sound/sound.h"

#include <SDL_mixer.h>

#include <cstdint>
#include <string>

namespace {

// Half a second of a quiet tone, 16-bit mono PCM.
std::string ToneWav()
{
    const int rate = 22050, samples = rate / 2;
    std::string pcm;
    for (int i = 0; i < samples; ++i) {
        const int16_t v = static_cast<int16_t>((i % 50 < 25) ? 2000 : -2000);
        pcm += static_cast<char>(v & 0xFF);
        pcm += static_cast<char>((v >> 8) & 0xFF);
    }
    auto u32 = [](uint32_t v) {
        std::string s;
        for (int k = 0; k < 4; ++k)
            s += static_cast<char>((v >> (8 * k)) & 0xFF);
        return s;
    };
    auto u16 = [](uint16_t v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; };
    return "RIFF" + u32(36 + static_cast<uint32_t>(pcm.size())) + "WAVEfmt " + u32(16) + u16(1) + u16(1) + u32(rate) +
           u32(rate * 2) + u16(2) + u16(16) + "data" + u32(static_cast<uint32_t>(pcm.size())) + pcm;
}

class ScreenSoundTest : public ScreenTest {
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        MakeDirectory("data/sfx");
        for (int i = 0; i < kSoundCount; ++i)
            ASSERT_TRUE(WriteTestFile(std::string("data/sfx/") + SoundFileName(static_cast<SoundId>(i)), ToneWav()));
        device = InitSound("");
        if (device)
            SetSoundOn(1);
    }
    void TearDown() override
    {
        FreeSound();
        ScreenTest::TearDown();
    }
    // The effect on the channel used last.
    Mix_Chunk* Last() const
    {
        const int n = ChannelCount();
        return Mix_GetChunk((NextChannel() + n - 1) % n);
    }
    bool device = false;
};

TEST_F(ScreenSoundTest, ScreensPlayTheirSounds)
{
    if (!device)
        GTEST_SKIP() << "no audio device (SDL_AUDIODRIVER=dummy gives one)";
    GameState& g = *game;
    const int W = g.settings.Width, H = g.settings.Height;

    // Level start: a new difficulty is a menu choice, starting play a click.
    g.puzzle.difficulty = 2;
    input->MoveTo(W - 10, H - static_cast<int>(100 * W / 1024.0));
    const int before = NextChannel();
    UpdateLevelStart(g);
    EXPECT_NE(NextChannel(), before);
    EXPECT_EQ(Last(), SampleChunk(SoundId::MenuChoice));
    g.flash = 0;
    input->Press(SDLK_SPACE, ' ');
    ASSERT_EQ(UpdateLevelStart(g).kind, ScreenAction::Play);
    EXPECT_EQ(Last(), SampleChunk(SoundId::MenuClick));

    // A difficulty already chosen plays nothing.
    const int quiet = NextChannel();
    input->MoveTo(W - 12, H - static_cast<int>(100 * W / 1024.0));
    UpdateLevelStart(g);
    EXPECT_EQ(NextChannel(), quiet);

    // Leaving the slot list and the credits clicks.
    OpenSlotList(g, false);
    input->Press(SDLK_ESCAPE);
    const int slots = NextChannel();
    UpdateSlotList(g);
    EXPECT_NE(NextChannel(), slots);
    EXPECT_EQ(Last(), SampleChunk(SoundId::MenuClick));
    OpenCredits(g);
    input->Press(SDLK_a, 'a');
    const int credits = NextChannel();
    UpdateCredits(g);
    EXPECT_NE(NextChannel(), credits);
}

}  // namespace
