#include "level_solver.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

namespace lvl {

namespace {

constexpr int kInf = 1 << 20;
constexpr int kMaxSolverBlocks = 64;

// The search works on the puzzle core's board as one flat array, frame
// included: a cell is its offset in Board::cells.
constexpr int kBoardSize = kBoardRows * kBoardCols;
// Directions in the order of the action codes: left, right, up, down.
constexpr int kDX[4] = {-1, 1, 0, 0};
constexpr int kDY[4] = {0, 0, -1, 1};
constexpr int kDirStep[4] = {-1, 1, -kBoardCols, kBoardCols};
constexpr char kStepLetter[4] = {'l', 'r', 'u', 'd'};
constexpr char kPushLetter[4] = {'L', 'R', 'U', 'D'};

inline int CellX(int i)
{
    return i % kBoardCols - 2;
}
inline int CellY(int i)
{
    return i / kBoardCols - 2;
}
inline bool IsPlayable(int i)
{
    const int x = CellX(i), y = CellY(i);
    return x >= 0 && x < kPlayWidth && y >= 0 && y < kPlayHeight;
}
inline uint8_t* Cells(Board& b)
{
    return &b.cells[0][0];
}
inline const uint8_t* Cells(const Board& b)
{
    return &b.cells[0][0];
}

// The car's start cell (the last cell coded 2), or -1.
int CarStart(const Board& b)
{
    int car = -1;
    for (int i = 0; i < kBoardSize; ++i)
        if (IsPlayable(i) && Cells(b)[i] == kCellCarStart)
            car = i;
    return car;
}

// Moves the block at cell p one cell towards d by the core's rule; carStart
// is -1 on a board that keeps no car start.
void PushAt(Board& b, int p, int d, int carStart)
{
    const bool start = carStart >= 0;
    MoveBlock(b, CellX(p), CellY(p), kDX[d], kDY[d], start ? CellX(carStart) : -1, start ? CellY(carStart) : -1);
}

// Minimum-cost perfect matching (Hungarian method) on an n x n matrix.
int MatchCost(const std::vector<int>& cost, int n)
{
    if (n == 0)
        return 0;
    std::vector<int> u(n + 1), v(n + 1), p(n + 1), way(n + 1);
    std::vector<int> minv(n + 1);
    std::vector<char> used(n + 1);
    for (int i = 1; i <= n; ++i) {
        p[0] = i;
        int j0 = 0;
        std::fill(minv.begin(), minv.end(), kInf * 4);
        std::fill(used.begin(), used.end(), 0);
        do {
            used[j0] = 1;
            const int i0 = p[j0];
            int delta = kInf * 4, j1 = 0;
            for (int j = 1; j <= n; ++j) {
                if (used[j])
                    continue;
                const int cur = cost[(i0 - 1) * n + (j - 1)] - u[i0] - v[j];
                if (cur < minv[j]) {
                    minv[j] = cur;
                    way[j] = j0;
                }
                if (minv[j] < delta) {
                    delta = minv[j];
                    j1 = j;
                }
            }
            for (int j = 0; j <= n; ++j) {
                if (used[j]) {
                    u[p[j]] += delta;
                    v[j] -= delta;
                } else {
                    minv[j] -= delta;
                }
            }
            j0 = j1;
        } while (p[j0] != 0);
        do {
            const int j1 = way[j0];
            p[j0] = p[j1];
            j0 = j1;
        } while (j0);
    }
    int total = 0;
    for (int j = 1; j <= n; ++j)
        total += cost[(p[j] - 1) * n + (j - 1)];
    return total;
}

struct Node {
    uint32_t parent;
    uint16_t from;  // block cell before the push
    uint8_t dir;
    uint16_t g;
};

class Search {
public:
    Search(const Board& board, const SolverOptions& opt) : opt_(opt)
    {
        start_ = board;
        for (int i = 0; i < kBoardSize; ++i) {
            const uint8_t c = Cells(board)[i];
            isTarget_[i] = c == kCellTarget || c == kCellBlockOnTarget || c == kCellBlockFixed;
            isWall_[i] = !IsGround(c) && !IsBlockCode(c);
            if (IsBlockCode(c))
                blocks0_.push_back(i);
            if (isTarget_[i])
                targets_.push_back(i);
            Cells(empty_)[i] = isWall_[i] || c == kCellBomb ? c : uint8_t(isTarget_[i] ? kCellTarget : kCellFloor);
        }
        car0_ = CarStart(board);
        n_ = static_cast<int>(blocks0_.size());
        stride_ = n_ + 5;
        ComputeDistances();
    }

    SolverResult Run()
    {
        SolverResult res;
        const auto t0 = std::chrono::steady_clock::now();
        auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(); };
        if (car0_ < 0) {
            res.reason = "no car";
            return res;
        }
        if (n_ > kMaxSolverBlocks) {
            res.reason = "too many blocks for the solver";
            return res;
        }
        if (static_cast<int>(targets_.size()) != n_) {
            res.reason = "blocks and targets do not match";
            return res;
        }
        table_.assign(1 << 16, kEmptySlot);

        // The root position. Under plain rules the blocks that start on
        // targets stay movable.
        Board b0 = empty_;
        for (int p : blocks0_)
            Cells(b0)[p] = isTarget_[p] ? kCellBlockOnTarget : kCellBlock;
        if (!opt_.plainRules)
            SettleBlocksOnTargets(b0);
        std::vector<uint16_t> key(stride_);
        MakeKey(b0, car0_, key.data());
        const int h0 = Bound(key.data());
        if (h0 >= kInf) {
            res.reason = "a block can reach no target";
            return res;
        }
        const uint32_t root = AddState(key.data(), Node{UINT32_MAX, 0, 0, 0});
        Push(root, h0 * opt_.weight, h0);

        Board b;
        std::vector<uint16_t> child(stride_);
        std::vector<uint16_t> parentKey(stride_);
        long expanded = 0;
        uint32_t goal = UINT32_MAX;
        bool exhausted = true;
        while (PopBest()) {
            const uint32_t id = current_;
            // The pool grows while children are added: work on a copy.
            parentKey.assign(pool_.begin() + size_t(id) * stride_, pool_.begin() + size_t(id + 1) * stride_);
            const uint16_t* s = parentKey.data();
            const int g = nodes_[id].g;
            ++expanded;
            if (IsGoal(s)) {
                goal = id;
                break;
            }
            if ((expanded & 1023) == 0 && elapsed() > opt_.maxSeconds) {
                exhausted = false;
                res.reason = "out of time";
                break;
            }
            if (static_cast<long>(nodes_.size()) > opt_.maxStates) {
                exhausted = false;
                res.reason = "out of room for positions";
                break;
            }
            BuildBoard(s, b);
            Reach(b, s[n_]);
            const uint8_t* c = Cells(b);
            for (int k = 0; k < n_; ++k) {
                const int p = s[k];
                if (!IsPushable(c[p]))
                    continue;
                for (int d = 0; d < 4; ++d) {
                    const int step = kDirStep[d];
                    const int dest = p + step;
                    if (!reach_[p - step] || !TakesPushedBlock(c[dest]) || !live_[dest])
                        continue;
                    Board nb = b;
                    PushAt(nb, p, d, -1);
                    // The game's fixing rule and its dead-block test; plain
                    // rules have neither.
                    if (!opt_.plainRules) {
                        SettleBlocksOnTargets(nb);
                        if (AnyBlockLost(nb, s, k, dest))
                            continue;
                    }
                    MakeKey(nb, p, child.data());
                    const int h = Bound(child.data());
                    if (h >= kInf)
                        continue;
                    const uint32_t before = static_cast<uint32_t>(nodes_.size());
                    const uint32_t cid = AddState(child.data(), Node{id, uint16_t(p), uint8_t(d), uint16_t(g + 1)});
                    if (cid == before) {
                        Push(cid, g + 1 + h * opt_.weight, h);
                    } else if (nodes_[cid].g > g + 1) {
                        nodes_[cid] = Node{id, uint16_t(p), uint8_t(d), uint16_t(g + 1)};
                        Push(cid, g + 1 + h * opt_.weight, h);
                    }
                }
            }
        }
        res.expanded = expanded;
        res.stored = static_cast<long>(nodes_.size());
        if (goal == UINT32_MAX) {
            if (res.reason.empty())
                res.reason = exhausted ? "no solution exists" : res.reason;
            res.seconds = elapsed();
            return res;
        }
        res.solved = true;
        res.pushOptimal = opt_.weight == 1;
        res.solution = Letters(goal);
        const Replay check = ReplaySolution(start_, res.solution, opt_.plainRules);
        res.pushes = check.pushes;
        res.moves = check.moves;
        if (!check.error.empty()) {
            res.solved = false;
            res.reason = "internal: the found solution does not replay: " + check.error;
        }
        res.seconds = elapsed();
        return res;
    }

private:
    static constexpr uint32_t kEmptySlot = UINT32_MAX;

    void ComputeDistances()
    {
        // Pulls from each target give the fewest pushes from every cell to
        // it on a board without other blocks.
        dist_.assign(targets_.size() * kBoardSize, kInf);
        std::memset(live_, 0, sizeof live_);
        for (size_t t = 0; t < targets_.size(); ++t) {
            int* dist = &dist_[t * kBoardSize];
            std::vector<int> queue{targets_[t]};
            dist[targets_[t]] = 0;
            for (size_t qi = 0; qi < queue.size(); ++qi) {
                const int q = queue[qi];
                live_[q] = true;
                for (int d = 0; d < 4; ++d) {
                    const int p = q - kDirStep[d];    // block before the push
                    const int car = p - kDirStep[d];  // car behind it
                    if (isWall_[p] || isWall_[car] || dist[p] != kInf)
                        continue;
                    dist[p] = dist[q] + 1;
                    queue.push_back(p);
                }
            }
        }
    }

    void BuildBoard(const uint16_t* s, Board& b) const
    {
        b = empty_;
        const uint64_t fixed = FixedMask(s);
        for (int k = 0; k < n_; ++k) {
            const int p = s[k];
            Cells(b)[p] = isTarget_[p] ? (((fixed >> k) & 1) ? kCellBlockFixed : kCellBlockOnTarget) : kCellBlock;
        }
    }

    // Whether the core's dead-block test holds any plain block after block
    // k of s has moved to dest; the moved block is the likeliest.
    bool AnyBlockLost(const Board& b, const uint16_t* s, int k, int dest) const
    {
        const uint8_t* c = Cells(b);
        if (c[dest] == kCellBlock && IsBlockLost(b, CellX(dest), CellY(dest)))
            return true;
        for (int j = 0; j < n_; ++j)
            if (j != k && c[s[j]] == kCellBlock && IsBlockLost(b, CellX(s[j]), CellY(s[j])))
                return true;
        return false;
    }

    uint64_t FixedMask(const uint16_t* s) const
    {
        uint64_t m = 0;
        for (int i = 0; i < 4; ++i)
            m |= uint64_t(s[n_ + 1 + i]) << (16 * i);
        return m;
    }

    void Reach(const Board& b, int from) { ReachInto(b, from, reach_); }

    static void ReachInto(const Board& b, int from, uint8_t* reach)
    {
        uint8_t* reach_ = reach;
        std::memset(reach_, 0, kBoardSize);
        int queue[kBoardSize];
        int head = 0, tail = 0;
        queue[tail++] = from;
        reach_[from] = 1;
        while (head < tail) {
            const int p = queue[head++];
            for (int d = 0; d < 4; ++d) {
                const int q = p + kDirStep[d];
                if (!reach_[q] && IsGround(Cells(b)[q])) {
                    reach_[q] = 1;
                    queue[tail++] = q;
                }
            }
        }
    }

    void MakeKey(const Board& b, int car, uint16_t* key)
    {
        int k = 0;
        uint64_t fixed = 0;
        for (int i = 0; i < kBoardSize; ++i) {
            const uint8_t c = Cells(b)[i];
            if (!IsBlockCode(c) || !IsPlayable(i))
                continue;
            if (c == kCellBlockFixed)
                fixed |= uint64_t(1) << k;
            key[k++] = static_cast<uint16_t>(i);
        }
        ReachInto(b, car, reachKey_);
        int lowest = car;
        for (int i = 0; i < kBoardSize; ++i)
            if (reachKey_[i]) {
                lowest = i;
                break;
            }
        key[n_] = static_cast<uint16_t>(lowest);
        for (int i = 0; i < 4; ++i)
            key[n_ + 1 + i] = static_cast<uint16_t>(fixed >> (16 * i));
    }

    int Bound(const uint16_t* s)
    {
        const uint64_t fixed = FixedMask(s);
        std::vector<int> freeTargets;
        for (size_t t = 0; t < targets_.size(); ++t) {
            bool taken = false;
            for (int k = 0; k < n_; ++k)
                if (((fixed >> k) & 1) && s[k] == targets_[t])
                    taken = true;
            if (!taken)
                freeTargets.push_back(static_cast<int>(t));
        }
        std::vector<int> movable;
        for (int k = 0; k < n_; ++k)
            if (!((fixed >> k) & 1))
                movable.push_back(s[k]);
        const int m = static_cast<int>(movable.size());
        cost_.assign(size_t(m) * m, kInf);
        for (int i = 0; i < m; ++i) {
            bool any = false;
            for (int j = 0; j < m; ++j) {
                const int d = dist_[size_t(freeTargets[j]) * kBoardSize + movable[i]];
                cost_[size_t(i) * m + j] = d;
                if (d < kInf)
                    any = true;
            }
            if (!any)
                return kInf;
        }
        const int total = MatchCost(cost_, m);
        return total >= kInf ? kInf : total;
    }

    bool IsGoal(const uint16_t* s) const
    {
        for (int k = 0; k < n_; ++k)
            if (!isTarget_[s[k]])
                return false;
        return true;
    }

    uint64_t Hash(const uint16_t* key) const
    {
        uint64_t h = 1469598103934665603ull;
        for (int i = 0; i < stride_; ++i) {
            h ^= key[i];
            h *= 1099511628211ull;
        }
        return h ^ (h >> 29);
    }

    // Returns the id of the state, adding it when new.
    uint32_t AddState(const uint16_t* key, const Node& node)
    {
        if ((nodes_.size() + 1) * 2 > table_.size())
            Grow();
        const size_t mask = table_.size() - 1;
        for (size_t slot = Hash(key) & mask;; slot = (slot + 1) & mask) {
            const uint32_t id = table_[slot];
            if (id == kEmptySlot) {
                const uint32_t nid = static_cast<uint32_t>(nodes_.size());
                table_[slot] = nid;
                pool_.insert(pool_.end(), key, key + stride_);
                nodes_.push_back(node);
                return nid;
            }
            if (std::memcmp(&pool_[size_t(id) * stride_], key, sizeof(uint16_t) * stride_) == 0)
                return id;
        }
    }

    void Grow()
    {
        std::vector<uint32_t> bigger(table_.size() * 2, kEmptySlot);
        const size_t mask = bigger.size() - 1;
        for (uint32_t id = 0; id < nodes_.size(); ++id) {
            size_t slot = Hash(&pool_[size_t(id) * stride_]) & mask;
            while (bigger[slot] != kEmptySlot)
                slot = (slot + 1) & mask;
            bigger[slot] = id;
        }
        table_.swap(bigger);
    }

    // Open list: buckets by f, then by h (lower h first); LIFO inside.
    void Push(uint32_t id, int f, int h)
    {
        if (f >= static_cast<int>(open_.size()))
            open_.resize(f + 1);
        auto& byH = open_[f];
        if (h >= static_cast<int>(byH.size()))
            byH.resize(h + 1);
        byH[h].push_back(id);
        if (f < lowestF_)
            lowestF_ = f;
    }

    bool PopBest()
    {
        for (; lowestF_ < static_cast<int>(open_.size()); ++lowestF_) {
            auto& byH = open_[lowestF_];
            for (auto& bucket : byH) {
                while (!bucket.empty()) {
                    const uint32_t id = bucket.back();
                    bucket.pop_back();
                    // A position reached again more cheaply was queued anew;
                    // skip the stale entry.
                    const int h = static_cast<int>(&bucket - &byH[0]);
                    if (nodes_[id].g + h * opt_.weight != lowestF_)
                        continue;
                    current_ = id;
                    return true;
                }
            }
        }
        return false;
    }

    std::string Letters(uint32_t goal) const
    {
        std::vector<std::pair<int, int>> pushes;
        for (uint32_t id = goal; nodes_[id].parent != UINT32_MAX; id = nodes_[id].parent)
            pushes.emplace_back(nodes_[id].from, nodes_[id].dir);
        std::reverse(pushes.begin(), pushes.end());
        // Only where the car can drive matters on the way: fixed or not, a
        // block is in its way.
        Board b = start_;
        int car = car0_;
        std::string out;
        for (auto [from, dir] : pushes) {
            out += WalkTo(b, car, from - kDirStep[dir]);
            PushAt(b, from, dir, car0_);
            car = from;
            out.push_back(kPushLetter[dir]);
        }
        return out;
    }

    // The shortest walk of the car between two cells, as step letters.
    static std::string WalkTo(const Board& b, int from, int to)
    {
        if (from == to)
            return std::string();
        int prev[kBoardSize];
        for (int& p : prev)
            p = -1;
        std::vector<int> queue{from};
        prev[from] = from;
        for (size_t qi = 0; qi < queue.size() && prev[to] < 0; ++qi) {
            const int p = queue[qi];
            for (int d = 0; d < 4; ++d) {
                const int q = p + kDirStep[d];
                if (prev[q] >= 0 || !IsGround(Cells(b)[q]))
                    continue;
                prev[q] = p;
                queue.push_back(q);
            }
        }
        std::string path;
        if (prev[to] < 0)
            return "?";  // unreachable: the replay check reports it
        for (int p = to; p != from; p = prev[p]) {
            const int d = p - prev[p];
            for (int k = 0; k < 4; ++k)
                if (kDirStep[k] == d)
                    path.push_back(kStepLetter[k]);
        }
        std::reverse(path.begin(), path.end());
        return path;
    }

    SolverOptions opt_;
    Board start_{};
    Board empty_{};
    bool isTarget_[kBoardSize] = {};
    bool isWall_[kBoardSize] = {};
    bool live_[kBoardSize] = {};
    uint8_t reach_[kBoardSize] = {};
    uint8_t reachKey_[kBoardSize] = {};
    std::vector<int> blocks0_, targets_;
    std::vector<int> dist_;
    std::vector<int> cost_;
    int car0_ = -1;
    int n_ = 0;
    int stride_ = 0;
    std::vector<uint16_t> pool_;
    std::vector<Node> nodes_;
    std::vector<uint32_t> table_;
    std::vector<std::vector<std::vector<uint32_t>>> open_;
    int lowestF_ = 0;
    uint32_t current_ = 0;
};

}  // namespace

SolverResult SolveLevel(const Board& board, const SolverOptions& options)
{
    Search search(board, options);
    return search.Run();
}

Replay ReplaySolution(const Board& board, const std::string& letters, bool plainRules, const PushWatcher& afterPush)
{
    Replay r;
    Board b = board;
    const int start = CarStart(b);
    if (start < 0) {
        r.error = "no car";
        return r;
    }
    int car = start;
    if (!plainRules)
        SettleBlocksOnTargets(b);
    for (size_t i = 0; i < letters.size(); ++i) {
        const char c = letters[i];
        const char* steps = "lrud";
        const char* pushes = "LRUD";
        const char* sp = std::strchr(steps, c);
        const char* pp = std::strchr(pushes, c);
        r.errorAt = static_cast<int>(i);
        if (!c || (!sp && !pp)) {
            r.error = std::string("'") + c + "' is not a move";
            return r;
        }
        const int d = static_cast<int>(sp ? sp - steps : pp - pushes);
        const int a = car + kDirStep[d];
        const uint8_t* cells = Cells(b);
        ++r.moves;
        if (IsGround(cells[a])) {
            if (pp) {
                r.error = "steps where a push was written";
                return r;
            }
            car = a;
            continue;
        }
        if (!IsPushable(cells[a]) || !TakesPushedBlock(cells[a + kDirStep[d]])) {
            r.error =
                cells[a] == kCellBlockFixed ? "pushes a block that is fixed on its target" : "is refused by the rules";
            return r;
        }
        if (sp) {
            r.error = "pushes a block where a step was written";
            return r;
        }
        PushAt(b, a, d, start);
        car = a;
        ++r.pushes;
        if (!plainRules) {
            SettleBlocksOnTargets(b);
            const int block = a + kDirStep[d];
            if (cells[block] == kCellBlock && IsBlockLost(b, CellX(block), CellY(block))) {
                r.error = "leaves the pushed block lost";
                return r;
            }
        }
        if (afterPush)
            afterPush(c, b, CellX(car), CellY(car));
    }
    r.errorAt = -1;
    for (int i = 0; i < kBoardSize; ++i)
        if (IsPlayable(i) && Cells(b)[i] == kCellTarget) {
            r.error = "does not fill every target";
            r.errorAt = static_cast<int>(letters.size());
            return r;
        }
    return r;
}

}  // namespace lvl
