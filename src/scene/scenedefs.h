#pragma once
// World units of the 3D scene. Theme models are made at one unit per board
// cell and scaled by the cell size when they load; the board offset centres
// the 20 × 15 board on the world origin.

constexpr float kCellSize = 0.05f;
constexpr float kHalfCell = 0.025f;
constexpr float kBoardOffset[3] = {-0.475f, 0.0f, -0.35f};

// The detail layer and the shadow image baked into it are this many texels
// on a side.
constexpr int kDetailSize = 256;
