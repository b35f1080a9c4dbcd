#pragma once
// The art kit's own random numbers: fixed seeds and a fixed algorithm, so
// that every run of the generators writes the same bytes.
#include <cstdint>

inline uint64_t SplitMix64(uint64_t& state)
{
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint64_t Next() { return SplitMix64(state_); }
    // Uniform in [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Range(double a, double b) { return a + (b - a) * Unit(); }
    // Uniform integer in [0, n).
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }

private:
    uint64_t state_;
};

inline uint32_t Hash3(uint32_t a, uint32_t b, uint32_t c)
{
    uint64_t s = (static_cast<uint64_t>(a) * 0x9E3779B1u) ^ (static_cast<uint64_t>(b) << 21) ^
                 (static_cast<uint64_t>(c) * 0x85EBCA77u << 7);
    return static_cast<uint32_t>(SplitMix64(s) >> 32);
}

// A value in [0, 1] for a lattice point.
inline double HashUnit(uint32_t a, uint32_t b, uint32_t c)
{
    return Hash3(a, b, c) * (1.0 / 4294967295.0);
}
