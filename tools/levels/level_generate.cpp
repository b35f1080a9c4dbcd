#include "level_generate.h"

#include "core_verify.h"
#include "level_compile.h"

#include <algorithm>
#include <bitset>
#include <random>
#include <set>

namespace lvl {

namespace {

using CellSet = std::bitset<kCellCount>;

inline int CellOf(int x, int y)
{
    return y * kPlayWidth + x;
}

void Delta(Direction dir, int& dx, int& dy)
{
    dx = dir == kDirLeft ? -1 : dir == kDirRight ? 1 : 0;
    dy = dir == kDirUp ? -1 : dir == kDirDown ? 1 : 0;
}

Direction DirectionOfLetter(char c)
{
    switch (c) {
    case 'L':
    case 'l':
        return kDirLeft;
    case 'R':
    case 'r':
        return kDirRight;
    case 'U':
    case 'u':
        return kDirUp;
    default:
        return kDirDown;
    }
}

// Walks the ground from (x, y) nearest cells first, as the solver walks it,
// marking every cell reached in seen. Stops at the first cell stop accepts
// and gives its index; -1 when none does.
template <class Stop>
int WalkGround(const Board& b, int x, int y, CellSet& seen, Stop stop)
{
    std::vector<int> queue{CellOf(x, y)};
    seen.set(size_t(queue[0]));
    for (size_t i = 0; i < queue.size(); ++i) {
        if (stop(queue[i]))
            return queue[i];
        const int px = queue[i] % kPlayWidth, py = queue[i] / kPlayWidth;
        for (int d = kDirLeft; d <= kDirDown; ++d) {
            int dx, dy;
            Delta(Direction(d), dx, dy);
            const int qx = px + dx, qy = py + dy;
            if (qx < 0 || qx >= kPlayWidth || qy < 0 || qy >= kPlayHeight)
                continue;
            if (seen[size_t(CellOf(qx, qy))] || !IsGround(b.At(qx, qy)))
                continue;
            seen.set(size_t(CellOf(qx, qy)));
            queue.push_back(CellOf(qx, qy));
        }
    }
    return -1;
}

// The cells the car reaches from (x, y) on ground.
CellSet Reach(const Board& b, int x, int y)
{
    CellSet seen;
    WalkGround(b, x, y, seen, [](int) { return false; });
    return seen;
}

// The board a pull makes, when the pull is legal (see CanPull).
bool PulledBoard(const Board& b, int carX, int carY, Direction dir, Board& out)
{
    int dx, dy;
    Delta(dir, dx, dy);
    const int bx = carX + dx, by = carY + dy;
    if (!IsBlockCode(b.At(bx, by)) || !TakesPushedBlock(b.At(carX, carY)) || !IsGround(b.At(carX - dx, carY - dy)))
        return false;
    out = b;
    // The core moves a block off a target as a movable one; the fixing is
    // settled again below.
    if (out.At(bx, by) == kCellBlockFixed)
        out.At(bx, by) = kCellBlockOnTarget;
    MoveBlock(out, bx, by, -dx, -dy, -1, -1);
    SettleBlocksOnTargets(out);
    // The push this pull undoes: the block movable, its old cell open to it.
    if (!IsPushable(out.At(carX, carY)) || !TakesPushedBlock(out.At(bx, by)))
        return false;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x)
            if (out.At(x, y) == kCellBlock && IsBlockLost(out, x, y))
                return false;
    return true;
}

std::string CellName(int cell)
{
    return "(" + std::to_string(cell % kPlayWidth) + ", " + std::to_string(cell / kPlayWidth) + ")";
}

// The room's source board with its blocks and car taken away: what a
// candidate's own blocks and car are put on.
Board EmptyRoom(const LevelSource& room)
{
    Board b = room.board;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            uint8_t& c = b.At(x, y);
            if (c == kCellBlockOnTarget || c == kCellBlockFixed)
                c = kCellTarget;
            else if (c == kCellBlock || c == kCellCarStart)
                c = kCellFloor;
        }
    return b;
}

// Puts the blocks of walk board w and the car on board b.
void PlaceBlocksAndCar(Board& b, const Board& w, int carX, int carY)
{
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x)
            if (IsBlockCode(w.At(x, y)))
                b.At(x, y) = b.At(x, y) == kCellTarget ? kCellBlockOnTarget : kCellBlock;
    b.At(carX, carY) = kCellCarStart;
}

// Where the car starts once the pulls are done: where it stands, or the
// nearest cell it reaches that is neither a target nor a bomb (a cell holds
// one code). False when there is none.
bool CarStartCell(const Board& w, int& carX, int& carY)
{
    CellSet seen;
    const int cell = WalkGround(w, carX, carY, seen, [&](int at) {
        const int c = w.At(at % kPlayWidth, at / kPlayWidth);
        return c != kCellTarget && c != kCellBomb;
    });
    if (cell < 0)
        return false;
    carX = cell % kPlayWidth;
    carY = cell / kPlayWidth;
    return true;
}

// The position a walk ends in, for telling repeated walks apart: the block
// cells and the car's region (its lowest reachable cell).
std::string PositionKey(const Board& w, int carX, int carY)
{
    std::string key;
    for (int i = 0; i < kCellCount; ++i)
        key.push_back(IsBlockCode(w.At(i % kPlayWidth, i / kPlayWidth)) ? '1' : '0');
    const CellSet reach = Reach(w, carX, carY);
    for (int i = 0; i < kCellCount; ++i)
        if (reach[size_t(i)])
            return key + std::to_string(i);
    return key;
}

struct PullChoice {
    int carX, carY;
    Direction dir;
    int weight;
};

// Fewest pushes from each cell to the nearest target with no other block
// in the way, found by pulling from the targets: it steers the walks.
std::vector<int> TargetDistances(const Board& goal)
{
    std::vector<int> dist(kCellCount, kCellCount);
    std::vector<int> queue;
    Board room = goal;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            uint8_t& c = room.At(x, y);
            if (!IsBlockCode(c))
                continue;
            c = kCellTarget;
            dist[size_t(CellOf(x, y))] = 0;
            queue.push_back(CellOf(x, y));
        }
    for (size_t i = 0; i < queue.size(); ++i) {
        const int qx = queue[i] % kPlayWidth, qy = queue[i] / kPlayWidth;
        for (int d = kDirLeft; d <= kDirDown; ++d) {
            int dx, dy;
            Delta(Direction(d), dx, dy);
            const int px = qx - dx, py = qy - dy;  // the block before the push
            if (!TakesPushedBlock(room.At(px, py)) || !IsGround(room.At(px - dx, py - dy)))
                continue;
            if (dist[size_t(CellOf(px, py))] <= dist[size_t(queue[i])] + 1)
                continue;
            dist[size_t(CellOf(px, py))] = dist[size_t(queue[i])] + 1;
            queue.push_back(CellOf(px, py));
        }
    }
    return dist;
}

// One reverse walk from the goal. Most pulls go on drawing the block just
// pulled the same way, and a new pull favours blocks still on targets and
// pulls that take a block further from the targets, so blocks travel some
// way from where they end.
void Walk(Board& w, int& carX, int& carY, int pulls, const std::vector<int>& dist, std::mt19937& rng)
{
    // A pull from (x, y) towards dir, when legal: the block now stands where
    // the car stood.
    auto pull = [&](int x, int y, Direction dir) {
        if (!Pull(w, x, y, dir))
            return false;
        carX = x;
        carY = y;
        return true;
    };
    // The walk ends in one of the positions it passed through with the
    // blocks far from the targets (three quarters of the furthest at least,
    // picked at random so that walks do not all end in the same far corners)
    // where the car has a cell to start on: not shut in on targets. Of
    // those it takes the ones with the fewest blocks on a target or one push
    // from one: likely trivial parts.
    struct Ending {
        Board board;
        int carX, carY, score, near;
    };
    std::vector<Ending> endings{{w, carX, carY, 0, kCellCount}};
    auto keep = [&] {
        int score = 0, near = 0;
        for (int c = 0; c < kCellCount; ++c)
            if (IsBlockCode(w.At(c % kPlayWidth, c / kPlayWidth))) {
                score += dist[size_t(c)];
                near += dist[size_t(c)] <= 1;
            }
        int x = carX, y = carY;
        if (CarStartCell(w, x, y))
            endings.push_back({w, carX, carY, score, near});
    };
    struct Position {
        Board board;
        int carX, carY;
    };
    std::vector<Position> history;  // before each pull
    bool straight = false;
    Direction last = kDirLeft;
    for (int i = 0; i < pulls; ++i, keep()) {
        if (straight && rng() % 100 < 60) {
            const Position before{w, carX, carY};
            if (pull(carX, carY, last)) {
                history.push_back(before);
                continue;
            }
        }
        const CellSet reach = Reach(w, carX, carY);
        std::vector<PullChoice> choices;
        int total = 0;
        for (int c = 0; c < kCellCount; ++c) {
            if (!reach[size_t(c)])
                continue;
            const int x = c % kPlayWidth, y = c / kPlayWidth;
            for (int d = kDirLeft; d <= kDirDown; ++d) {
                int dx, dy;
                Delta(Direction(d), dx, dy);
                if (!IsBlockCode(w.At(x + dx, y + dy)) || !TakesPushedBlock(w.At(x, y)) ||
                    !IsGround(w.At(x - dx, y - dy)))
                    continue;
                const int from = dist[size_t(CellOf(x + dx, y + dy))], to = dist[size_t(CellOf(x, y))];
                const int weight = (from == 0 ? 2 : 1) * (to > from ? 6 : to == from ? 2 : 1);
                choices.push_back({x, y, Direction(d), weight});
                total += weight;
            }
        }
        straight = false;
        while (!choices.empty() && !straight) {
            int pick = int(rng() % uint32_t(total));
            size_t k = 0;
            while (pick >= choices[k].weight)
                pick -= choices[k++].weight;
            const PullChoice ch = choices[k];
            total -= ch.weight;
            choices.erase(choices.begin() + long(k));
            const Position before{w, carX, carY};
            if (pull(ch.carX, ch.carY, ch.dir)) {
                history.push_back(before);
                last = ch.dir;
                straight = true;
            }
        }
        if (straight)
            continue;
        // Shut in with no pull to make: back up a few pulls and go on
        // from there.
        if (history.empty())
            break;
        const size_t back = std::min(history.size(), size_t(1 + rng() % 4));
        history.resize(history.size() - back + 1);
        w = history.back().board;
        carX = history.back().carX;
        carY = history.back().carY;
        history.pop_back();
    }
    int fewest = kCellCount, best = 0;
    for (const Ending& e : endings)
        fewest = std::min(fewest, e.near);
    for (const Ending& e : endings)
        if (e.near == fewest)
            best = std::max(best, e.score);
    std::vector<const Ending*> far;
    for (const Ending& e : endings)
        if (e.near == fewest && 4 * e.score >= 3 * best)
            far.push_back(&e);
    const Ending& end = *far[rng() % far.size()];
    w = end.board;
    carX = end.carX;
    carY = end.carY;
}

std::string CandidateText(const LevelSource& room, const GenerateOptions& o, const Candidate& c)
{
    const SolverResult& r = c.result;
    std::string text = "; Made by pondrake_levelgen from " + room.path + " (seed " + std::to_string(o.seed) +
                       ", walk " + std::to_string(c.walk) + ").\n";
    text += "; " + std::to_string(r.pushes) + " pushes, " + std::to_string(r.moves) + " moves, " +
            std::to_string(r.expanded) + " positions explored, " +
            (r.pushOptimal ? "push-optimal" : "not proven push-optimal") + ".\n";
    text += "Title: " + (room.title.empty() ? std::string("Candidate") : room.title) + "\n\n";
    text += RenderSourceGrid(room, c.board, c.carX, c.carY);
    if (!room.hardRows.empty()) {
        text += "\nHard:\n";
        for (const std::string& row : room.hardRows)
            text += row + "\n";
    }
    return ReplaceSolutionText(text, r.solution);
}

// Empty when the candidate compiles and the core plays it on every difficulty.
std::string CompileAndVerify(const std::string& text, int levelIndex)
{
    try {
        CompileOptions opt;
        opt.levelIndex = levelIndex;
        opt.solveMissing = false;
        const CompiledLevel level = CompileLevel(ParseLevelSource(text, "candidate"), opt);
        return VerifyLevelBytesWithCore(EncodeLevelFile(level.file), levelIndex);
    } catch (const Exception& e) {
        return SourceErrorText(e);
    }
}

}  // namespace

bool CanPull(const Board& b, int carX, int carY, Direction dir)
{
    Board out;
    return PulledBoard(b, carX, carY, dir, out);
}

bool Pull(Board& b, int& carX, int& carY, Direction dir)
{
    Board out;
    if (!PulledBoard(b, carX, carY, dir, out))
        return false;
    int dx, dy;
    Delta(dir, dx, dy);
    b = out;
    carX -= dx;
    carY -= dy;
    return true;
}

Board GoalBoard(const LevelSource& room)
{
    Board b = SolverBoard(room);
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            uint8_t& c = b.At(x, y);
            if (c == kCellTarget || c == kCellBlockOnTarget || c == kCellBlockFixed)
                c = kCellBlockOnTarget;
            else if (c == kCellBlock || c == kCellCarStart)
                c = kCellFloor;
        }
    SettleBlocksOnTargets(b);
    return b;
}

std::string TrivialPart(const Board& board, const std::string& solution)
{
    std::vector<int> idAt(kCellCount, -1);
    std::vector<CellSet> occupied, pushedFrom;
    std::vector<int> pushes, firstFrom;
    std::vector<Direction> firstDir;
    int carX = -1, carY = -1;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            const int c = board.At(x, y);
            if (c == kCellCarStart)
                carX = x, carY = y;
            if (!IsBlockCode(c))
                continue;
            idAt[size_t(CellOf(x, y))] = int(occupied.size());
            occupied.emplace_back();
            occupied.back().set(size_t(CellOf(x, y)));
            pushedFrom.emplace_back();
            pushes.push_back(0);
            firstFrom.push_back(-1);
            firstDir.push_back(kDirLeft);
        }
    std::vector<int> start(occupied.size());
    for (int c = 0; c < kCellCount; ++c)
        if (idAt[size_t(c)] >= 0)
            start[size_t(idAt[size_t(c)])] = c;

    const Replay replay = ReplaySolution(board, solution, false, [&](char letter, const Board&, int x, int y) {
        const Direction dir = DirectionOfLetter(letter);
        int dx, dy;
        Delta(dir, dx, dy);
        const int from = CellOf(x, y), to = CellOf(x + dx, y + dy), car = CellOf(x - dx, y - dy);
        const int id = idAt[size_t(from)];
        idAt[size_t(from)] = -1;
        idAt[size_t(to)] = id;
        occupied[size_t(id)].set(size_t(to));
        pushedFrom[size_t(id)].set(size_t(car));
        if (pushes[size_t(id)]++ == 0) {
            firstFrom[size_t(id)] = car;
            firstDir[size_t(id)] = dir;
        }
    });
    if (!replay.error.empty())
        return "the solution does not play: " + replay.error;

    const size_t n = occupied.size();
    std::string parts;
    auto add = [&](size_t b, const char* what) {
        parts += (parts.empty() ? "" : "; ") + ("the block at " + CellName(start[b])) + what;
    };
    const CellSet reach = carX >= 0 ? Reach(board, carX, carY) : CellSet();
    for (size_t b = 0; b < n; ++b) {
        if (pushes[b] == 0) {
            add(b, " never moves");
            continue;
        }
        if (pushes[b] == 1 && reach[size_t(firstFrom[b])]) {
            int dx, dy;
            Delta(firstDir[b], dx, dy);
            const int x = start[b] % kPlayWidth, y = start[b] / kPlayWidth;
            if (IsPushable(board.At(x, y)) && TakesPushedBlock(board.At(x + dx, y + dy))) {
                add(b, " is finished by one push at the start");
                continue;
            }
        }
        bool meets = false;
        for (size_t a = 0; a < n && !meets; ++a)
            meets =
                a != b && (((occupied[b] | pushedFrom[b]) & occupied[a]).any() || (pushedFrom[a] & occupied[b]).any());
        if (!meets)
            add(b, " never meets another");
    }
    return parts;
}

GenerateReport GenerateLevels(const LevelSource& room, const GenerateOptions& options)
{
    GenerateReport report;
    const Board goal = GoalBoard(room);
    const Board empty = EmptyRoom(room);
    // The walks start where the car can make a first pull.
    std::vector<int> ground;
    CellSet tried;
    int blocks = 0;
    for (int y = 0; y < kPlayHeight; ++y)
        for (int x = 0; x < kPlayWidth; ++x) {
            blocks += IsBlockCode(goal.At(x, y));
            if (!IsGround(goal.At(x, y)) || tried[size_t(CellOf(x, y))])
                continue;
            const CellSet region = Reach(goal, x, y);
            tried |= region;
            bool canPull = false;
            for (int c = 0; c < kCellCount && !canPull; ++c)
                for (int d = kDirLeft; d <= kDirDown && region[size_t(c)] && !canPull; ++d)
                    canPull = CanPull(goal, c % kPlayWidth, c / kPlayWidth, Direction(d));
            for (int c = 0; c < kCellCount && canPull; ++c)
                if (region[size_t(c)])
                    ground.push_back(c);
        }
    if (ground.empty() || blocks == 0)
        return report;

    const std::vector<int> dist = TargetDistances(goal);
    std::mt19937 rng(options.seed);
    std::set<std::string> seen;
    const int pulls = std::max(1, blocks * options.pullsPerBlock);
    for (int walk = 1; walk <= options.walks && int(report.kept.size()) < options.keep; ++walk) {
        ++report.walks;
        Board w = goal;
        const int startCell = ground[rng() % ground.size()];
        int carX = startCell % kPlayWidth, carY = startCell / kPlayWidth;
        Walk(w, carX, carY, pulls / 2 + int(rng() % uint32_t(pulls + 1)), dist, rng);
        const std::string name = "walk " + std::to_string(walk) + ": ";
        auto note = [&](int& count, const std::string& what) {
            ++count;
            report.log.push_back(name + what);
        };
        if (!CarStartCell(w, carX, carY)) {
            note(report.refused, "the car has no cell to start on");
            continue;
        }
        if (!seen.insert(PositionKey(w, carX, carY)).second) {
            note(report.repeated, "repeated");
            continue;
        }
        Candidate c;
        c.walk = walk;
        c.carX = carX;
        c.carY = carY;
        Board play = w;
        play.At(carX, carY) = kCellCarStart;
        c.result = SolveLevel(play, options.solver);
        const SolverResult& r = c.result;
        if (!r.solved) {
            const bool bounded = r.reason == "out of time" || r.reason == "out of room for positions";
            note(bounded ? report.beyond : report.refused, r.reason);
            continue;
        }
        const std::string measured = std::to_string(r.pushes) + " pushes, " + std::to_string(r.expanded) + " explored";
        if (r.pushes < options.minPushes || r.expanded < options.minExplored) {
            note(report.easy, measured + ": too easy");
            continue;
        }
        if (options.maxExplored > 0 && r.expanded > options.maxExplored) {
            note(report.hard, measured + ": too hard");
            continue;
        }
        const std::string trivial = TrivialPart(play, r.solution);
        if (!trivial.empty()) {
            note(report.trivial, measured + ": " + trivial);
            continue;
        }
        c.board = empty;
        PlaceBlocksAndCar(c.board, w, carX, carY);
        c.text = CandidateText(room, options, c);
        const std::string why = CompileAndVerify(c.text, options.levelIndex);
        if (!why.empty()) {
            note(report.refused, measured + ": " + why);
            continue;
        }
        report.log.push_back(name + measured + ": kept");
        report.kept.push_back(c);
    }
    return report;
}

}  // namespace lvl
