#pragma once
// Drives the real game binary under the test's X server: real key and mouse
// events (xdotool), its exit status, screenshots of its window.
#include "persist/levelcode.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace std::chrono_literals;

inline std::string Shell(const std::string& cmd)
{
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, p))
            out += buf;
        pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

inline bool LogHas(const std::string& line, const std::string& log = "log.txt")
{
    for (const std::string& l : ReadTestLines(log))
        if (l == line)
            return true;
    return false;
}

inline bool WaitFor(const std::function<bool()>& ready, std::chrono::milliseconds timeout)
{
    auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (ready())
            return true;
        std::this_thread::sleep_for(100ms);
    }
    return ready();
}

// One run of the game binary in the current directory: the built game's
// unless another binary is named, with extra environment variables.
class Game {
public:
    explicit Game(const std::string& args = "-windowed", const char* audio = "dummy", const std::string& binary = "",
                  const std::vector<std::pair<std::string, std::string>>& env = {})
    {
        pid_ = fork();
        if (pid_ == 0) {
            setenv("SDL_AUDIODRIVER", audio, 1);
            setenv("PONDRAKE_NO_ERROR_BOX", "1", 1);
            for (const auto& [name, value] : env)
                setenv(name.c_str(), value.c_str(), 1);
            std::freopen("stdout.txt", "w", stdout);
            std::freopen("stderr.txt", "w", stderr);
            std::string bin = binary.empty() ? RunDir() + "/pondrake" : binary;
            execl(bin.c_str(), bin.c_str(), args.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Game()
    {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    bool FindWindow()
    {
        window_ = Shell("xdotool search --sync --onlyvisible --name '^Pondrake$' 2>/dev/null | head -1");
        if (window_.empty())
            return false;
        Shell("xdotool windowfocus " + window_ + " 2>/dev/null");
        return true;
    }

    void Key(const std::string& key, std::chrono::milliseconds after = 250ms)
    {
        Shell("xdotool key --delay 60 " + key);
        std::this_thread::sleep_for(after);
    }

    void Type(const std::string& text)
    {
        Shell("xdotool type --delay 120 '" + text + "'");
        std::this_thread::sleep_for(300ms);
    }

    void MouseAway() { Shell("xdotool mousemove 2 2"); }
    // The pointer at a point of the window given as fractions of its size.
    void MouseAt(double fx, double fy)
    {
        std::string size = Shell("xdotool getwindowgeometry --shell " + window_ + " | tr '\\n' ' '");
        int w = 0, h = 0;
        std::sscanf(size.c_str() + size.find("WIDTH="), "WIDTH=%d HEIGHT=%d", &w, &h);
        Shell("xdotool mousemove --window " + window_ + " " + std::to_string(int(fx * w)) + " " +
              std::to_string(int(fy * h)));
        std::this_thread::sleep_for(300ms);
    }

    // The window as a PNG in the test output, for a person to look at.
    void Picture(const std::string& name)
    {
        std::string png = TestOutputDir() + "/e2e_" + name + ".png";
        Shell("xwd -silent -id " + window_ + " | convert xwd:- '" + png + "' 2>/dev/null");
    }

    bool WaitExit(std::chrono::milliseconds timeout, int& status)
    {
        auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            int st = 0;
            if (waitpid(pid_, &st, WNOHANG) == pid_) {
                exited_ = true;
                status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
                return true;
            }
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }

    bool Running() { return waitpid(pid_, nullptr, WNOHANG) == 0; }

private:
    pid_t pid_ = -1;
    bool exited_ = false;
    std::string window_;
};

// Reaches the menus: the intro is skipped, the fade has ended, the mouse
// rests off the items so the keyboard drives them.
// The log is the working directory's unless another is named.
inline void ReachMenus(Game& game, const std::string& log = "log.txt")
{
    ASSERT_TRUE(WaitFor([&] { return LogHas("VRO Logo", log); }, 30s));
    ASSERT_TRUE(game.FindWindow());
    game.MouseAway();
    game.Key("space");
    ASSERT_TRUE(WaitFor([&] { return LogHas("Start game...", log); }, 30s));
    std::this_thread::sleep_for(2500ms);  // the menus fade in
}
