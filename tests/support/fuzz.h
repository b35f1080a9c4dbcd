#pragma once
// Bad input for the loaders' tests. Damaged copies of a good file: cut short
// at random lengths, replaced by random bytes, or with a few bytes changed,
// deterministic for a seed so that a failing round can be replayed. And
// hostile files in a file's place: a FIFO nobody writes, a huge file, a file
// the player cannot read.
#include <cstdint>
#include <functional>
#include <string>

// One damaged copy of good: the same round and seed give the same bytes;
// the kind of damage cycles with the round.
std::string DamagedCopy(const std::string& good, int round, uint32_t seed);

// Calls check(bytes, round) for `rounds` damaged copies of good.
void ForEachDamagedCopy(const std::string& good, int rounds, uint32_t seed,
                        const std::function<void(const std::string&, int)>& check);

// Runs fn in a child process and gives its exit status, or -1 when it had
// not ended after `seconds` (a reader waiting on a FIFO) or died. With
// asPlayer, a run as root drops to an ordinary user first, so that file
// permissions apply to it.
int ExitStatusWithin(int seconds, const std::function<int()>& fn, bool asPlayer = false);

// The bytes this process read from files while fn ran.
long long BytesReadDuring(const std::function<void()>& fn);

// A sparse file of `size` bytes: huge, yet it takes no room on the disk.
bool MakeHugeFile(const std::string& path, long long size);
