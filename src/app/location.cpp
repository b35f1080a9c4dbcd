#include "app/location.h"

#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsDirectory(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Parent(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string WithSlash(std::string dir)
{
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir;
}

std::string HomeDir(const char* home)
{
    if (home && *home)
        return home;
    if (const passwd* pw = getpwuid(getuid()))
        if (pw->pw_dir && *pw->pw_dir)
            return pw->pw_dir;
    return ".";
}

}  // namespace

GameLocation FindGameLocation(const std::string& exePath, const char* xdgDataHome, const char* home)
{
    GameLocation where;
    if (exePath.empty())
        return where;
    // PREFIX/games/pondrake or PREFIX/bin/pondrake: the data is two levels up.
    const std::string prefix = Parent(Parent(exePath));
    const std::string share = WithSlash(prefix) + "share/games/pondrake/";
    if (!IsDirectory(share + "data"))
        return where;
    where.installed = true;
    where.dataPrefix = share;
    const bool xdgUsable = xdgDataHome && xdgDataHome[0] == '/';
    const std::string base = xdgUsable ? std::string(xdgDataHome) : WithSlash(HomeDir(home)) + ".local/share";
    where.userDir = WithSlash(base) + "pondrake/";
    return where;
}

std::string RunningBinaryPath()
{
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return "";
    buf[n] = '\0';
    return buf;
}

bool EnterUserDir(const GameLocation& where, std::string& why)
{
    const std::string& dir = where.userDir;
    for (size_t i = 1; i <= dir.size(); ++i) {
        if (i != dir.size() && dir[i] != '/')
            continue;
        const std::string part = dir.substr(0, i);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
            why = part + ": " + std::strerror(errno);
            return false;
        }
    }
    if (chdir(dir.c_str()) != 0) {
        why = dir + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string UsageText(const GameLocation& where)
{
    std::string text = "Usage: pondrake [-windowed]\n"
                       "       pondrake --help | --version\n"
                       "\n"
                       "Pondrake: steer a small car over the board and push every block onto a target.\n"
                       "\n"
                       "  -windowed   play in a window instead of full screen\n"
                       "  --help      show this help and exit\n"
                       "  --version   show the version and exit\n"
                       "\n";
    if (where.installed) {
        text += "Data (read only): " + where.dataPrefix + "data/\n";
        text += "Your files: " + where.userDir + "\n";
    } else {
        text += "Data (read only): data/ in the working directory\n";
        text += "Your files: the game directory named in config.ini (default: the working directory)\n";
    }
    text += "  game.ini             the options\n"
            "  save/                the ten saved games\n"
            "  level/leveldata.dat  the levels done\n"
            "  score.vro            the records\n"
            "  capture/             screenshots (F10)\n"
            "  log.txt              the start-up and shutdown log\n"
            "  config.ini           read only: [Path] GamePath=, [Game] Lang=\n";
    return text;
}

CommandLine ReadCommandLine(int argc, char** argv)
{
    CommandLine c;
    for (int i = 1; i < argc && argv && argv[i]; ++i) {
        const char* a = argv[i];
        // "-windowed" counts only as the first argument, as it always has.
        if (i == 1 && !std::strcmp(a, "-windowed"))
            c.windowed = true;
        else if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h"))
            c.help = true;
        else if (!std::strcmp(a, "--version"))
            c.version = true;
        else if (c.unknown.empty())
            c.unknown = a;
    }
    return c;
}
