#include "fuzz.h"

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

std::string DamagedCopy(const std::string& good, int round, uint32_t seed)
{
    std::mt19937 rng(seed * 7919u + static_cast<uint32_t>(round));
    std::string bytes;
    switch (round % 3) {
    case 0:  // cut short
        bytes = good.substr(0, good.empty() ? 0 : rng() % good.size());
        break;
    case 1:  // random bytes
        bytes.resize(rng() % (good.size() + 64));
        for (char& c : bytes)
            c = static_cast<char>(rng());
        break;
    default:  // a few bytes flipped
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

int ExitStatusWithin(int seconds, const std::function<int()>& fn, bool asPlayer)
{
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        alarm(static_cast<unsigned>(seconds));
        if (asPlayer && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(125);
        _exit(fn());
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

long long BytesReadDuring(const std::function<void()>& fn)
{
    auto read = [] {
        std::ifstream io("/proc/self/io");
        std::string key;
        long long value = 0;
        while (io >> key >> value)
            if (key == "rchar:")
                return value;
        return -1LL;
    };
    const long long before = read();
    fn();
    return read() - before;
}

bool MakeHugeFile(const std::string& path, long long size)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool ok = fd >= 0 && ftruncate(fd, size) == 0;
    if (fd >= 0)
        close(fd);
    return ok;
}
