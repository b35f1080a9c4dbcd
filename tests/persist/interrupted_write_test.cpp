// A write that stops half way (a full disk, or the process killed in the
// middle) must leave the previous file whole. The file-size limit makes
// write() fail past a given size exactly as a full disk does.
#include "persist/levelcode.h"
#include "persist/savegame.h"
#include "persist/score.h"
#include "slotfixture.h"
#include "testdir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// While alive, files cannot grow beyond `bytes`; the signal is ignored so
// that the write fails with an error instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit small = old_;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

// Standard error through a pipe: a pipe does not count against the file-size
// limit, so the messages of the failed writes come through whole.
template <class Fn>
std::string CaptureStderrThroughPipe(Fn fn)
{
    int fds[2];
    if (pipe(fds) != 0)
        return "pipe failed";
    std::fflush(stderr);
    int saved = dup(2);
    dup2(fds[1], 2);
    close(fds[1]);
    fn();
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    std::string text;
    char buf[256];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0)
        text.append(buf, static_cast<size_t>(n));
    close(fds[0]);
    return text;
}

TEST(InterruptedWrite, EveryPlayerFileKeepsItsPreviousContent)
{
    ScopedTempDir dir;
    WriteTestFile("save/.keep", "");
    WriteTestFile("level/.keep", "");
    WriteTestFile("data/level/.keep", "");

    // Earlier saves, all whole.
    SlotData oldGame = MidGameSlot();
    ASSERT_TRUE(SaveGame(4, "./", oldGame));
    ScoreTable scores;
    InitScores(scores, "./");
    SubmitScore(scores, 3, 42);
    ASSERT_TRUE(SaveScores(scores, "./"));
    Progress progress;
    progress.done[0] = 1;
    ASSERT_EQ(SaveProgress(progress, "./"), 0);
    LevelCodes codes;
    ASSERT_EQ(GenerateLevelCodesSeeded(codes, 10, 1), 1);
    const std::string slotBefore = ReadTestFile("save/save04.vro");
    const std::string scoresBefore = ReadTestFile("score.vro");
    const std::string progressBefore = ReadTestFile("level/leveldata.dat");
    const std::string listingBefore = ReadTestFile("codes.txt");
    const std::string tableBefore = ReadTestFile("data/level/levelcode.dat");
    const LevelCodes codesBefore = codes;

    // New content that cannot be written completely.
    SlotData newGame = MidGameSlot();
    newGame.moves = 999;
    SubmitScore(scores, 5, 7);
    progress.done[1] = 1;

    std::string err = CaptureStderrThroughPipe([&] {
        FileSizeLimit limit(500);
        EXPECT_FALSE(SaveGame(4, "./", newGame));
    });
    EXPECT_EQ(err, "unable to write save file ./save/save04.vro\n");

    err = CaptureStderrThroughPipe([&] {
        FileSizeLimit limit(100);
        EXPECT_FALSE(SaveScores(scores, "./"));
    });
    EXPECT_EQ(err, "unable to write score file\n");

    err = CaptureStderrThroughPipe([&] {
        FileSizeLimit limit(4);
        EXPECT_EQ(SaveProgress(progress, "./"), 1);
    });
    EXPECT_EQ(err, "unable to write progress file ./level/leveldata.dat\n");

    err = CaptureStderrThroughPipe([&] {
        FileSizeLimit limit(100);
        EXPECT_EQ(GenerateLevelCodesSeeded(codes, 10, 2), 0);
    });
    EXPECT_EQ(err, "can't create codes.txt\n");

    EXPECT_EQ(ReadTestFile("save/save04.vro"), slotBefore);
    EXPECT_EQ(ReadTestFile("score.vro"), scoresBefore);
    EXPECT_EQ(ReadTestFile("level/leveldata.dat"), progressBefore);
    EXPECT_EQ(ReadTestFile("codes.txt"), listingBefore);
    EXPECT_EQ(ReadTestFile("data/level/levelcode.dat"), tableBefore);
    EXPECT_EQ(codes.codes, codesBefore.codes);
    for (const char* tmp : {"save/save04.vro.tmp", "score.vro.tmp", "level/leveldata.dat.tmp",
                            "codes.txt.tmp", "data/level/levelcode.dat.tmp"})
        EXPECT_FALSE(TestFileExists(tmp)) << tmp;

    // The old slot still loads as it was.
    SlotData back;
    ASSERT_TRUE(LoadGame(4, "./", kFixtureLevelCount, FixtureBlockCount, back));
    EXPECT_EQ(back.moves, oldGame.moves);
}

TEST(InterruptedWrite, AProcessKilledInTheMiddleOfASaveLeavesTheOldSlot)
{
    ScopedTempDir dir;
    WriteTestFile("save/.keep", "");
    ASSERT_TRUE(SaveGame(2, "./", MidGameSlot()));
    const std::string before = ReadTestFile("save/save02.vro");

    SlotData newGame = MidGameSlot();
    newGame.moves = 31337;
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The size limit's signal ends the process in the middle of write().
        std::signal(SIGXFSZ, SIG_DFL);
        rlimit small{};
        getrlimit(RLIMIT_FSIZE, &small);
        small.rlim_cur = 300;
        setrlimit(RLIMIT_FSIZE, &small);
        SaveGame(2, "./", newGame);
        _exit(0);  // not reached when the write is killed
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
    EXPECT_EQ(ReadTestFile("save/save02.vro"), before);

    // The half-written temporary file left behind does not stand in the way
    // of the next save.
    EXPECT_TRUE(TestFileExists("save/save02.vro.tmp"));
    ASSERT_TRUE(SaveGame(2, "./", newGame));
    SlotData back;
    ASSERT_TRUE(LoadGame(2, "./", kFixtureLevelCount, FixtureBlockCount, back));
    EXPECT_EQ(back.moves, 31337);
}

}  // namespace
