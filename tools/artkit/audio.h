#pragma once
// Small sound synthesis kit shared by the sound effects and the music:
// oscillators, envelopes, filters, a stereo reverb, and the file writers.
#include "rng.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kAudioRate = 22050;
constexpr double kTwoPi = 6.283185307179586;

inline double NoteFrequency(double midi)
{
    return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}

// Band-limited saw and square (polyBLEP) from a phase in [0, 1).
double PolyBlep(double t, double dt);
double SawWave(double phase, double dt);
double SquareWave(double phase, double dt, double width = 0.5);
inline double TriangleWave(double phase)
{
    return 4.0 * std::fabs(phase - 0.5) - 1.0;
}

// Attack, exponential decay to a sustain level, release after `hold`.
double Envelope(double t, double attack, double decay, double sustain, double hold, double release);

struct OnePole {
    double z = 0, a = 1;
    double LowPass(double x, double cutoff)
    {
        Set(cutoff);
        return Low(x);
    }
    double HighPass(double x, double cutoff) { return x - LowPass(x, cutoff); }
    // With a fixed cutoff: Set once, then Low or High per sample.
    void Set(double cutoff) { a = 1.0 - std::exp(-kTwoPi * cutoff / kAudioRate); }
    double Low(double x)
    {
        z += a * (x - z);
        return z;
    }
    double High(double x) { return x - Low(x); }
};

// Resonant low-pass (state variable filter).
struct Svf {
    double low = 0, band = 0, f = 0;
    double Run(double x, double cutoff, double q)
    {
        Tune(cutoff);
        return Step(x, q);
    }
    void Tune(double cutoff)
    {
        // Kept well below the point where this filter turns unstable.
        f = 2.0 * std::sin(3.141592653589793 * std::min(cutoff, kAudioRate * 0.15) / kAudioRate);
    }
    double Step(double x, double q)
    {
        low += f * band;
        double high = x - low - q * band;
        band += f * high;
        return low;
    }
};

// A plain Schroeder reverb per channel.
class Reverb {
public:
    Reverb();
    void Process(std::vector<float>& left, std::vector<float>& right, double wet);

private:
    std::vector<int> combs_, allpasses_;
};

// 16-bit PCM mono WAV.
std::string EncodeWav(const std::vector<float>& samples, int rate);
// Peak normalisation; a silent buffer is left alone.
void Normalize(std::vector<float>& samples, double peak);
