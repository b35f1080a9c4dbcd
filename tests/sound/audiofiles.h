#pragma once
// Small sound files for the sound tests: a sine tone as 16-bit PCM WAV, or
// as Ogg Vorbis (the game's music format), written into the test's folder.
#include <string>

bool WriteToneWav(const std::string& path, double seconds, double frequency);
bool WriteToneOgg(const std::string& path, double seconds, double frequency);
