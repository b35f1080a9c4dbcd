// The developer's level check: every stored solution replayed on a bare board.
#include "puzzle/internal.h"

#include "app/base/exception.h"

#include <memory>
#include <vector>

namespace {

// How a fault of the check names where it was found.
const char* const kFunction = "checkAllLevel";
const char* const kModule = "pelmo";

struct CheckUndo {
    int ax, ay, a, bx, by, b, carX, carY;
};

}  // namespace

void CheckLevel(int index, const char* dataPrefix)
{
    std::unique_ptr<Puzzle> owner(new Puzzle());
    Puzzle& p = *owner;
    LoadLevel(p, index, dataPrefix);

    Board& b = p.board;
    int targets = 0;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            uint8_t& c = b.At(x, y);
            if (IsSpecialCode(c))
                c = kCellWallFirst;
            if (c == kCellCarStart) {
                c = kCellFloor;
                p.carX = x;
                p.carY = y;
            }
            if (c == kCellBomb)
                c = kCellFloor;
            if (c == kCellTarget || c == kCellBlockOnTarget)
                ++targets;
        }

    std::vector<CheckUndo> undo;
    const int length = static_cast<int>(p.solution.size());
    for (int pos = 0; pos < length; ++pos) {
        const int code = p.solution[size_t(pos)];
        if (code >= kActLeft && code <= kActPushDown) {
            int dx, dy;
            DirectionDelta(static_cast<Direction>(code <= kActDown ? code : code - 4), dx, dy);
            const int ax = p.carX + dx, ay = p.carY + dy;
            const int a = b.At(ax, ay);
            if (code <= kActDown) {
                if (a != kCellFloor && a != kCellTarget)
                    Fail(FormatText("bloque au niveau %d, position %d", index, pos), kFunction, kModule, __LINE__);
                p.carX = ax;
                p.carY = ay;
            } else {
                const int bx = ax + dx, by = ay + dy;
                const int c = b.At(bx, by);
                // A block fixed on its target cannot be pushed in the game either.
                if ((a != kCellBlock && a != kCellBlockOnTarget) || (c != kCellFloor && c != kCellTarget))
                    Fail(FormatText("bloque au niveau %d, position %d", index, pos), kFunction, kModule, __LINE__);
                undo.push_back({ax, ay, a, bx, by, c, p.carX, p.carY});
                b.At(bx, by) = c == kCellFloor ? kCellBlock : kCellBlockFixed;
                b.At(ax, ay) = a == kCellBlock ? kCellFloor : kCellTarget;
                p.carX = ax;
                p.carY = ay;
                if (c == kCellFloor && IsBlockLost(p, bx, by))
                    Fail(FormatText("bloc perdu au niveau %d, position %d", index, pos), kFunction, kModule, __LINE__);
            }
        } else if (code == kActUndo) {
            // The game takes back the last push and puts the car where it
            // stood before it; with nothing to take back it does nothing.
            if (!undo.empty()) {
                const CheckUndo u = undo.back();
                undo.pop_back();
                b.At(u.bx, u.by) = static_cast<uint8_t>(u.b);
                b.At(u.ax, u.ay) = static_cast<uint8_t>(u.a);
                p.carX = u.carX;
                p.carY = u.carY;
            }
        }
        // Blocks on targets are fixed exactly when the game would fix
        // them, so the check never pushes a block the game would refuse.
        SettleBlocksOnTargets(p.board);
    }

    int placed = 0;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x)
            if (b.At(x, y) == kCellBlockFixed || b.At(x, y) == kCellBlockOnTarget)
                ++placed;
    if (placed != targets)
        Fail(FormatText("Le niveau %d n'est pas terminÈ apres la resolution (%d / %d)", index, placed, targets),
             kFunction, kModule, __LINE__);
}

int CheckAllLevels(const char* dataPrefix, int levelCount)
{
    for (int i = 0; i < levelCount; ++i)
        CheckLevel(i, dataPrefix);
    return 1;
}
