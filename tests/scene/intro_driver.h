#pragma once
// An intro driver with a clock of its own: milliseconds advance by `step`
// per frame, and each drawn frame is handed to `onFrame`.
#include "scene/intro.h"

#include <functional>

inline const float kIntroColours[3][3] = {{1.0f, 0.55f, 0.1f}, {0.2f, 0.6f, 1.0f}, {0.3f, 0.9f, 0.35f}};

struct FakeIntroDriver : IntroDriver {
    uint32_t now = 0;
    uint32_t step = 50;
    int frames = 0;
    int stopAtFrame = -1;
    bool closeWindow = false;
    std::function<void(int, uint32_t)> onFrame;

    uint32_t Ticks() override { return now; }
    bool StopRequested(bool* closed) override
    {
        if (frames != stopAtFrame)
            return false;
        if (closeWindow && closed)
            *closed = true;
        return true;
    }
    void EndFrame(GLContext&) override
    {
        if (onFrame)
            onFrame(frames, now);
        ++frames;
        now += step;
    }
};
