#include "fuzz.h"

#include <random>

Damage DamageOfRound(int round)
{
    return static_cast<Damage>(round % 3);
}

std::string DamagedCopy(const std::string& good, int round, uint32_t seed)
{
    std::mt19937 rng(seed * 7919u + static_cast<uint32_t>(round));
    std::string bytes;
    switch (DamageOfRound(round)) {
    case Damage::Truncated:
        bytes = good.substr(0, good.empty() ? 0 : rng() % good.size());
        break;
    case Damage::Random:
        bytes.resize(rng() % (good.size() + 64));
        for (char& c : bytes)
            c = static_cast<char>(rng());
        break;
    case Damage::Flipped:
        bytes = good;
        for (int i = 0, n = 1 + static_cast<int>(rng() % 6); i < n && !bytes.empty(); ++i)
            bytes[rng() % bytes.size()] ^= static_cast<char>(1 + rng() % 255);
        break;
    }
    return bytes;
}

void ForEachDamagedCopy(const std::string& good, int rounds, uint32_t seed,
                        const std::function<void(const std::string&, int)>& check)
{
    for (int round = 0; round < rounds; ++round)
        check(DamagedCopy(good, round, seed), round);
}
