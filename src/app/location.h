#pragma once
// Where the game reads its data and writes its files. Started from a game
// directory (one that holds data/, as the build lays out), it runs there as
// it always has. Installed (its binary in PREFIX/games or PREFIX/bin, its data in
// PREFIX/share/games/pondrake/data), it reads the data from the installed
// tree and runs in a directory of the player's own, so that "game.ini",
// save/, score.vro, level/leveldata.dat, capture/, log.txt and a
// "config.ini" all live per user and nothing is written into the prefix.
#include <string>

struct GameLocation {
    bool installed = false;
    std::string dataPrefix;  // "" beside its data, else "PREFIX/share/games/pondrake/"
    std::string userDir;     // installed: the per-user directory the game runs in
};

// exePath: the binary's own path. xdgDataHome, home: the environment's
// XDG_DATA_HOME and HOME (null when unset). The per-user directory is
// $XDG_DATA_HOME/pondrake/, or ~/.local/share/pondrake/ when XDG_DATA_HOME
// is unset, empty or not an absolute path.
GameLocation FindGameLocation(const std::string& exePath, const char* xdgDataHome, const char* home);

// The running binary's path (/proc/self/exe), or "" when it cannot be told.
std::string RunningBinaryPath();

// Creates the per-user directory with its parents and makes it the working
// directory. False, with why, when it cannot.
bool EnterUserDir(const GameLocation& where, std::string& why);

// What `pondrake --help` prints: the usage and the files of this location.
std::string UsageText(const GameLocation& where);

// The command line: "-windowed" (the first argument only), "--help" (or
// "-h"), "--version".
struct CommandLine {
    bool windowed = false;
    bool help = false;
    bool version = false;
    std::string unknown;  // the first argument none of these
};
CommandLine ReadCommandLine(int argc, char** argv);
