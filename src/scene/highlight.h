#pragma once
// The faint mark on the board cell a click would drive the car to.
#include "scene/camera.h"

// Draws the mark on cell (x, y) over the board's picture, through the
// camera mode's transform (the camera record already on the modelview),
// hidden where something drawn stands in front of it; GL's state comes back
// as it was.
void DrawCellHighlight(int mode, const CarPlace& car, int x, int y);
