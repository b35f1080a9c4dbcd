#pragma once
// Sound effects and music through SDL_mixer. Effects are fire-and-forget
// and silent while sound is off; one music track loops at a time. Without an
// audio device everything stays silent and the switches stay off.

struct Mix_Chunk;

enum class SoundId : int {
    MenuChoice = 0,
    MenuClick = 1,
    Back = 2,
    Error1 = 3,
    Error2 = 4,
    Explosion = 5,
    SelectBomb = 6,
    Transform = 7,
    Message = 8,
    Push = 9,
};
constexpr int kSoundCount = 10;
constexpr int kMusicCount = 5;  // 0 the menu track, 1 to 4 the game tracks

// The effect's file name in data/sfx/ ("push.wav").
const char* SoundFileName(SoundId id);
// The effect for a file name, with or without a directory ("push.wav",
// "data/sfx/push.wav" -> Push); false for an unknown name.
bool SoundIdFromFileName(const char* fileName, SoundId& id);
// The music file of a track index ("data/sfx/musicmenu.zik"), or null.
const char* MusicFileName(int index);

// Opens the audio subsystem and the mixer (22050 Hz, 16-bit, stereo) and
// loads the ten effects from "%sdata/sfx/". False, with everything closed
// again, when there is no usable device. Throws Exception
// "Couldn't load sound %s\n" when an effect file is missing or unreadable.
// Sound and music are off afterwards: apply the settings with SetSoundOn and
// SetMusicOn.
bool InitSound(const char* dataPrefix);

// Plays an effect on the next of the mixer's channels, in turn.
void PlaySample(SoundId id);
// The same by file name, for callers that name their sounds ("push.wav").
// False for an unknown name.
bool PlaySampleByName(const char* fileName);

// Fades the current music out and starts track `index` looping (when music
// is on). Throws Exception "Couldn't load Sample %s\n" when the file cannot
// be loaded. An index outside 0 to 4 is refused (false).
bool PlayMusic(int index);
// Fades out (200 ms, waiting for it) and frees the current music.
void StopMusic();
// Starts a fade-out of the music over `ms` without waiting (quitting).
void FadeOutMusic(int ms);
void PauseMusic();
void ResumeMusic();

// The switches. With no device open they stay off and nothing is called.
void SetSoundOn(int flag);
void SetMusicOn(int flag);

// Leaving a game for the menus: the effects' channels start again from the
// first, and the menu track plays when music is on and another was playing.
void ResetSoundState();

// Frees every effect and the music without fading, closes the mixer and
// the audio subsystem.
void FreeSound();

// The start-up step: logs "Init sound", opens the sound; without a device
// logs "no sound card detected : switch to no sound" and sets both options
// to 0. Then hands the options to the switches, logs "Play music" and starts
// the menu track. True when a device is open.
bool StartSound(const char* dataPrefix, int& soundOption, int& musicOption);

// State, for the options menu and tests.
bool SoundDeviceOpen();
int SoundOn();
int MusicOn();
int ChannelCount();
int NextChannel();
int CurrentMusic();  // -1 when none is loaded
Mix_Chunk* SampleChunk(SoundId id);
