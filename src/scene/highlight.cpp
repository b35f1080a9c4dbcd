#include "scene/highlight.h"

#include "scene/board.h"
#include "scene/scenedefs.h"

#include <GL/gl.h>

void DrawCellHighlight(int mode, const CarPlace& car, int x, int y)
{
    float m[16];
    CameraModeMatrix(mode, car, m);
    // The board's depth, in the board's depth range, decides what hides the
    // mark.
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT | GL_VIEWPORT_BIT);
    ApplyBoardDepthRange();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glMultMatrixf(m);
    glTranslatef(kBoardOffset[0], kBoardOffset[1], kBoardOffset[2]);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // Slightly above the floor and inset, so it reads as a mark on the cell
    // rather than a new tile.
    const float cx = x * kCellSize, cz = y * kCellSize, h = kHalfCell * 0.85f, lift = kCellSize * 0.02f;
    glColor4f(0.2f, 0.7f, 1.0f, 0.35f);  // a cool tint reads on light and dark floors alike
    glBegin(GL_QUADS);
    glVertex3f(cx - h, lift, cz - h);
    glVertex3f(cx + h, lift, cz - h);
    glVertex3f(cx + h, lift, cz + h);
    glVertex3f(cx - h, lift, cz + h);
    glEnd();
    glPopMatrix();
    glPopAttrib();
}
