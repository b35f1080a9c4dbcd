#include "sound/sound.h"

#include "app/base/exception.h"
#include "app/base/log.h"
#include "app/base/paths.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* const kSampleFiles[kSoundCount] = {
    "menuchoix.wav", "menuclic.wav", "back.wav",     "error1.wav",  "error2.wav",
    "explo.wav",     "selbomb.wav",  "transfor.wav", "message.wav", "push.wav",
};

const char* const kMusicFiles[kMusicCount] = {
    "data/sfx/musicmenu.zik", "data/sfx/musicjeu1.zik", "data/sfx/musicjeu2.zik",
    "data/sfx/musicjeu3.zik", "data/sfx/musicjeu4.zik",
};

constexpr int kEffectVolume = 31;
constexpr int kMusicVolume = 63;
constexpr int kChannelsWanted = 8;
constexpr int kFadeOutMs = 200;
constexpr int kFadeInMs = 500;

struct SoundState {
    bool open = false;
    std::string dataPrefix;
    Mix_Chunk* samples[kSoundCount] = {};
    Mix_Music* music = nullptr;
    int musicIndex = -1;
    int soundOn = 0;
    int musicOn = 0;
    int channelCount = 0;
    int nextChannel = 0;
};

SoundState state;

void FreeSamples()
{
    for (Mix_Chunk*& c : state.samples) {
        if (c)
            Mix_FreeChunk(c);
        c = nullptr;
    }
}

void FreeMusicNow()
{
    if (state.music) {
        Mix_HaltMusic();
        Mix_FreeMusic(state.music);
    }
    state.music = nullptr;
    state.musicIndex = -1;
}

void CloseDevice()
{
    FreeMusicNow();
    FreeSamples();
    if (state.open)
        Mix_CloseAudio();
    if (SDL_WasInit(SDL_INIT_AUDIO))
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    state.open = false;
    state.soundOn = 0;
    state.musicOn = 0;
    state.channelCount = 0;
    state.nextChannel = 0;
}

}  // namespace

const char* SoundFileName(SoundId id)
{
    int i = static_cast<int>(id);
    return i >= 0 && i < kSoundCount ? kSampleFiles[i] : nullptr;
}

bool SoundIdFromFileName(const char* fileName, SoundId& id)
{
    if (!fileName)
        return false;
    const char* base = fileName;
    for (const char* p = fileName; *p; ++p)
        if (*p == '/' || *p == '\\')
            base = p + 1;
    for (int i = 0; i < kSoundCount; ++i)
        if (std::strcmp(base, kSampleFiles[i]) == 0) {
            id = static_cast<SoundId>(i);
            return true;
        }
    return false;
}

const char* MusicFileName(int index)
{
    return index >= 0 && index < kMusicCount ? kMusicFiles[index] : nullptr;
}

bool InitSound(const char* dataPrefix)
{
    CloseDevice();
    state.dataPrefix = dataPrefix ? dataPrefix : "";
    // Audio is started here, apart from the rest of SDL, so that a machine
    // without a sound device still runs the game.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) {
        Warn("Couldn't open audio: %s\n", SDL_GetError());
        return false;
    }
    if (Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 2048) < 0) {
        Warn("Couldn't open audio: %s\n", Mix_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    state.open = true;
    state.channelCount = Mix_AllocateChannels(kChannelsWanted);
    state.nextChannel = 0;

    for (int i = 0; i < kSoundCount; ++i) {
        char path[kPathSize];
        bool fits = FormatPath(path, sizeof path, "%sdata/sfx/%s", state.dataPrefix.c_str(), kSampleFiles[i]);
        Mix_Chunk* chunk = nullptr;
        if (fits) {
            SDL_RWops* rw = SDL_RWFromFile(path, "rb");
            if (rw)
                chunk = Mix_LoadWAV_RW(rw, 1);
        }
        if (!chunk) {
            std::string msg = FormatText("Couldn't load sound %s\n", fits ? path : kSampleFiles[i]);
            CloseDevice();
            throw Exception(msg, "InitSound", "sound", __LINE__);
        }
        Mix_VolumeChunk(chunk, kEffectVolume);
        state.samples[i] = chunk;
    }
    state.soundOn = 0;
    state.musicOn = 0;
    state.music = nullptr;
    state.musicIndex = -1;
    return true;
}

void PlaySample(SoundId id)
{
    // No channel means no device: the counter below would divide by nothing.
    if (!state.open || state.channelCount <= 0)
        return;
    int i = static_cast<int>(id);
    if (i < 0 || i >= kSoundCount)
        return;
    if (state.soundOn && state.samples[i])
        Mix_PlayChannelTimed(state.nextChannel, state.samples[i], 0, -1);
    state.nextChannel = (state.nextChannel + 1) % state.channelCount;
}

bool PlaySampleByName(const char* fileName)
{
    SoundId id;
    if (!SoundIdFromFileName(fileName, id))
        return false;
    PlaySample(id);
    return true;
}

void StopMusic()
{
    if (!state.music)
        return;
    Mix_FadeOutMusic(kFadeOutMs);
    SDL_Delay(kFadeOutMs);
    FreeMusicNow();
}

void FadeOutMusic(int ms)
{
    if (state.music)
        Mix_FadeOutMusic(ms);
}

bool PlayMusic(int index)
{
    if (index < 0 || index >= kMusicCount) {
        Warn("no music track %d\n", index);
        return false;
    }
    StopMusic();
    if (!state.musicOn || !state.open)
        return true;
    char path[kPathSize];
    bool fits = FormatPath(path, sizeof path, "%s%s", state.dataPrefix.c_str(), kMusicFiles[index]);
    Mix_Music* music = fits ? Mix_LoadMUS(path) : nullptr;
    if (!music)
        throw Exception(FormatText("Couldn't load Sample %s\n", fits ? path : kMusicFiles[index]), "PlayMusic", "sound",
                        __LINE__);
    Mix_VolumeMusic(kMusicVolume);
    state.music = music;
    state.musicIndex = index;
    Mix_FadeInMusic(music, -1, kFadeInMs);
    return true;
}

void PauseMusic()
{
    if (state.open && state.musicOn && state.music)
        Mix_PauseMusic();
}

void ResumeMusic()
{
    // Never after the audio subsystem has gone (a failed change of mode).
    if (state.open && state.musicOn && state.music && SDL_WasInit(SDL_INIT_AUDIO))
        Mix_ResumeMusic();
}

void SetSoundOn(int flag)
{
    if (!state.open)
        return;
    state.soundOn = flag;
}

void SetMusicOn(int flag)
{
    if (!state.open)
        return;
    state.musicOn = flag;
    if (flag)
        PlayMusic(0);
    else
        StopMusic();
}

void ResetSoundState()
{
    if (!state.open)
        return;
    Mix_HaltChannel(-1);
    state.nextChannel = 0;
    if (state.musicOn && state.musicIndex != 0)
        PlayMusic(0);
}

void FreeSound()
{
    CloseDevice();
}

bool StartSound(const char* dataPrefix, int& soundOption, int& musicOption)
{
    WriteLog("Init sound");
    bool open = InitSound(dataPrefix);
    if (!open) {
        WriteLog("no sound card detected : switch to no sound");
        soundOption = 0;
        musicOption = 0;
    }
    SetSoundOn(soundOption);
    SetMusicOn(musicOption);
    WriteLog("Play music");
    if (state.musicIndex != 0)
        PlayMusic(0);
    return open;
}

bool SoundDeviceOpen()
{
    return state.open;
}

int SoundOn()
{
    return state.soundOn;
}

int MusicOn()
{
    return state.musicOn;
}

int ChannelCount()
{
    return state.channelCount;
}

int NextChannel()
{
    return state.nextChannel;
}

int CurrentMusic()
{
    return state.musicIndex;
}

Mix_Chunk* SampleChunk(SoundId id)
{
    int i = static_cast<int>(id);
    return i >= 0 && i < kSoundCount ? state.samples[i] : nullptr;
}
