#pragma once
// Damaged copies of a good file for the loaders' fuzz-style tests: cut
// short at random lengths, replaced by random bytes, or with a few bytes
// changed. Deterministic for a seed, so a failing round can be replayed.
#include <cstdint>
#include <functional>
#include <string>

enum class Damage { Truncated, Random, Flipped };

// The round's damage kind cycles through the three.
Damage DamageOfRound(int round);

// One damaged copy of good: the same round and seed give the same bytes.
std::string DamagedCopy(const std::string& good, int round, uint32_t seed);

// Calls check(bytes, round) for `rounds` damaged copies of good.
void ForEachDamagedCopy(const std::string& good, int rounds, uint32_t seed,
                        const std::function<void(const std::string&, int)>& check);
