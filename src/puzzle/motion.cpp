// The time-driven side of the rules: the one-cell move of the car and of the
// block it pushes, the wheel tracks and the explosions.
#include "puzzle/internal.h"

#include <algorithm>
#include <cmath>

namespace {

// A heading as one of 0, 90, 180, 270.
int QuarterHeading(float angle)
{
    long q = std::lround(angle / 90.0f) % 4;
    if (q < 0)
        q += 4;
    return static_cast<int>(q) * 90;
}

float SpeedSetting(const Puzzle& p)
{
    return static_cast<float>(std::max(1, p.speed));
}

// The track a car leaves on a cell, by the heading it came in with (h0) and
// the heading it leaves with (h1).
void LayTrack(Puzzle& p, int x, int y, int h0, int h1, bool rowChange)
{
    const int diff = ((h1 - h0) % 360 + 360) % 360;
    if (diff == 0 || diff == 180) {
        AddTrackMark(p, 0, x, y, rowChange ? 0.0f : 90.0f);
        return;
    }
    float angle;
    if (rowChange) {
        if (h0 == 0)
            angle = h1 == 270 ? 90.0f : 0.0f;
        else
            angle = h1 == 270 ? 180.0f : 270.0f;
    } else {
        if (h0 == 270)
            angle = h1 == 0 ? 270.0f : 0.0f;
        else
            angle = h1 == 0 ? 180.0f : 90.0f;
    }
    AddTrackMark(p, 1, x, y, angle);
}

void PoseBlock(Puzzle& p, float t)
{
    if (p.pushedBlock < 0 || p.pushedBlock >= p.blockListCount)
        return;
    BlockRecord& r = p.blocks[p.pushedBlock];
    const float f = p.moveDuration > 0 ? t / p.moveDuration : 1.0f;
    r.drawX = static_cast<float>(r.x - p.moveDX) + p.moveDX * f;
    r.drawY = static_cast<float>(r.y - p.moveDY) + p.moveDY * f;
    // The roll turned so far, applied after the orientation the block had
    // when the push began, so that it turns about the world's axes.
    const Quat turned = EulerToQuat(p.rollTotal[0] * f, p.rollTotal[1] * f, p.rollTotal[2] * f);
    SetBlockOrientation(r, QuatMultiply(turned, p.pushStartOrientation));
}

}  // namespace

void StartCarMove(Puzzle& p, Direction dir, int pushedBlock)
{
    int dx, dy;
    DirectionDelta(dir, dx, dy);
    const int fromX = p.carX, fromY = p.carY;
    p.moves += 1;
    p.carX += dx;
    p.carY += dy;

    const float s = SpeedSetting(p);
    const int h0 = QuarterHeading(p.carAngle);
    const int h1 = QuarterHeading(DirectionHeading(dir));
    const int diff = ((h1 - h0) % 360 + 360) % 360;
    const bool reverse = diff == 180;
    p.moveDuration = reverse ? 2 * s : s;
    p.stepRate = 1.0f / p.moveDuration;
    p.turnRate = diff == 0 ? 0.0f : diff == 90 ? 90.0f / s : diff == 270 ? -90.0f / s : 180.0f / (2 * s);
    p.moveProgress = p.moveDuration;
    p.moveElapsed = 0;
    p.moveFromX = static_cast<float>(fromX);
    p.moveFromY = static_cast<float>(fromY);
    p.moveFromAngle = static_cast<float>(h0);
    p.carDrawX = p.moveFromX;
    p.carDrawY = p.moveFromY;
    p.carAngle = static_cast<float>(h0);
    p.moveDX = dx;
    p.moveDY = dy;

    p.pushedBlock = pushedBlock >= 0 && pushedBlock < p.blockListCount ? pushedBlock : -1;
    if (p.pushedBlock >= 0) {
        const BlockRecord& r = p.blocks[p.pushedBlock];
        p.pushStartOrientation = r.orientation;
        const int k = std::min(std::max(r.colour, 0), kMaxColours - 1);
        const float* roll = dy != 0 ? p.rollVertical[k] : p.rollHorizontal[k];
        const float sign = (dx + dy) > 0 ? 1.0f : -1.0f;
        for (int i = 0; i < 3; ++i)
            p.rollTotal[i] = roll[i] * sign;
        PoseBlock(p, 0);
    }

    if (p.board.At(fromX, fromY) == kCellFloor)
        LayTrack(p, fromX, fromY, h0, h1, dy != 0);
}

void AdvanceCarMove(Puzzle& p, float dt)
{
    if (p.moveProgress <= 0)
        return;
    const float before = std::min(p.moveElapsed, p.moveDuration);
    p.moveElapsed += dt;
    p.moveProgress -= dt;
    // Past the end of the move nothing turns or rolls any further.
    const float t = std::min(p.moveElapsed, p.moveDuration);
    p.wheelAngle = std::fmod(p.wheelAngle + 90.0f * p.stepRate * (t - before), 360.0f);
    if (p.moveProgress <= 0) {
        p.moveProgress = 0;
        PoseBlock(p, p.moveDuration);
        CancelCarMove(p);
        p.examineDue = true;
        return;
    }
    p.carDrawX = p.moveFromX + p.moveDX * p.stepRate * t;
    p.carDrawY = p.moveFromY + p.moveDY * p.stepRate * t;
    p.carAngle = p.moveFromAngle + p.turnRate * t;
    PoseBlock(p, t);
}

void CancelCarMove(Puzzle& p)
{
    p.moveProgress = 0;
    p.carDrawX = static_cast<float>(p.carX);
    p.carDrawY = static_cast<float>(p.carY);
    p.carAngle = p.heading;
    if (p.pushedBlock >= 0 && p.pushedBlock < p.blockListCount)
        PlaceBlockRecord(p.blocks[p.pushedBlock], p.blocks[p.pushedBlock].x, p.blocks[p.pushedBlock].y);
    p.pushedBlock = -1;
}

void AddTrackMark(Puzzle& p, int type, int x, int z, float angle)
{
    if (p.trackCount >= kMaxTracks)
        return;
    TrackMark& m = p.tracks[p.trackCount++];
    m.type = type;
    m.x = x;
    m.z = z;
    m.angle = angle;
    m.opacity = 1.0f;
}

void ClearTracks(Puzzle& p)
{
    p.trackCount = 0;
}

void FadeTracks(Puzzle& p, float dt)
{
    if (p.trackCount == 0)
        return;
    const float fade = dt / (15.0f * SpeedSetting(p));
    int kept = 0;
    for (int i = 0; i < p.trackCount; ++i) {
        TrackMark m = p.tracks[i];
        m.opacity -= fade;
        if (m.opacity <= 0)
            continue;
        p.tracks[kept++] = m;
    }
    p.trackCount = kept;
}

void AddExplosion(Puzzle& p, int x, int z)
{
    if (p.explosionCount >= kMaxExplosions)
        return;
    Explosion& e = p.explosions[p.explosionCount++];
    e.active = true;
    e.x = static_cast<float>(x);
    e.z = static_cast<float>(z);
    e.p = 0;
    e.speed = -1.0f / 60.0f;
}

void UpdateExplosions(Puzzle& p, float dt)
{
    if (p.blastTimer <= 0)
        return;
    p.blastTimer -= dt;
    for (int i = 0; i < p.explosionCount; ++i)
        if (p.explosions[i].active)
            p.explosions[i].p += p.explosions[i].speed * dt;
    if (p.blastTimer <= 0) {
        p.blastTimer = 0;
        for (int i = 0; i < p.explosionCount; ++i) {
            p.explosions[i].p = -1;
            p.explosions[i].active = false;
        }
        p.explosionCount = 0;
    }
}

void UpdatePuzzleEffects(Puzzle& p, float dt)
{
    FadeTracks(p, dt);
    UpdateExplosions(p, dt);
}
