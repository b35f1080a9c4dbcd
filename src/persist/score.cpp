#include "persist/score.h"

#include "app/base/paths.h"
#include "app/base/files.h"
#include "app/base/bytes.h"
#include "app/base/log.h"

#include <cstdio>
#include <cstring>
#include <string>

const char kDefaultScoreName[] = "VRO GAMES";
const char kDefaultPlayerName[] = "noname";

namespace {

void CopyName(char (&dst)[kScoreNameSize], const char* src)
{
    std::memset(dst, 0, sizeof dst);
    if (src)
        std::memcpy(dst, src, strnlen(src, kScoreNameLength));
}

void SetDefaultEntry(ScoreEntry& e)
{
    CopyName(e.name, kDefaultScoreName);
    e.moves = kDefaultScoreMoves;
}

bool ValidLevel(int level)
{
    return level >= 0 && level < kScoreEntries;
}

}  // namespace

bool ScorePath(const char* gamePath, char* out, size_t size)
{
    return FormatPath(out, size, "%s%s", gamePath ? gamePath : "", "score.vro");
}

int InitScores(ScoreTable& table, const char* gamePath)
{
    table = ScoreTable();
    table.ready = 1;
    CopyName(table.playerName, kDefaultPlayerName);
    LoadScores(table, gamePath);
    return 1;
}

void FreeScores(ScoreTable& table)
{
    table.ready = 0;
}

void LoadScores(ScoreTable& table, const char* gamePath)
{
    for (ScoreEntry& e : table.entries)
        SetDefaultEntry(e);
    table.keepFile = false;
    char path[kPathSize];
    if (!ScorePath(gamePath, path, sizeof path)) {
        Warn("score file path too long\n");
        return;
    }
    std::string bytes;
    switch (ReadFileHead(path, kScoreFileBytes, bytes)) {
    case FileRead::Missing:
        SaveScores(table, gamePath);
        return;
    case FileRead::Unreadable:
        table.keepFile = true;
        Warn("can't read score file %s : left as it is\n", path);
        return;
    case FileRead::Ok:
        break;
    }
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t whole = bytes.size() / kScoreEntryBytes;
    for (size_t i = 0; i < whole; ++i) {
        ScoreEntry& e = table.entries[i];
        std::memset(e.name, 0, sizeof e.name);
        std::memcpy(e.name, p + i * kScoreEntryBytes, kScoreNameLength);
        e.moves = GetInt32(p + i * kScoreEntryBytes + kScoreNameLength);
    }
}

bool SaveScores(const ScoreTable& table, const char* gamePath)
{
    if (!table.ready)
        return false;
    char path[kPathSize];
    if (table.keepFile || !ScorePath(gamePath, path, sizeof path)) {
        Warn("unable to write score file\n");
        return false;
    }
    std::string bytes;
    bytes.reserve(kScoreFileBytes);
    for (const ScoreEntry& e : table.entries) {
        bytes.append(e.name, kScoreNameLength);
        PutInt32(bytes, e.moves);
    }
    if (!WriteFileAtomic(path, bytes.data(), bytes.size())) {
        Warn("unable to write score file\n");
        return false;
    }
    return true;
}

int SubmitScore(ScoreTable& table, int level, int moves)
{
    if (!ValidLevel(level) || moves >= table.entries[level].moves)
        return 0;
    table.entries[level].moves = moves;
    return 1;
}

void SetScoreName(ScoreTable& table, int level, const char* name)
{
    if (ValidLevel(level))
        CopyName(table.entries[level].name, name);
}

void ResetScorePage(ScoreTable& table, int page)
{
    if (page < 0 || page > kScoreEntries / 10)
        return;
    for (int i = 10 * page; i < 10 * page + 10 && i < kScoreEntries; ++i)
        SetDefaultEntry(table.entries[i]);
}

int RecordLevelWon(ScoreTable& table, NameEditor& editor, int level, int moves)
{
    if (!SubmitScore(table, level, moves)) {
        editor.nameEntryActive = 0;
        return 0;
    }
    CopyName(editor.nameEdit, table.playerName);
    editor.length = static_cast<int>(std::strlen(editor.nameEdit));
    editor.level = level;
    SetScoreName(table, level, editor.nameEdit);
    editor.nameEntryActive = 1;
    return 1;
}

void UpdateNameEditor(NameEditor& editor, bool backspaceReleased, unsigned int typed)
{
    if (!editor.nameEntryActive)
        return;
    if (backspaceReleased && editor.length > 0)
        editor.nameEdit[--editor.length] = '\0';
    bool allowed = (typed >= 'A' && typed <= 'Z') || (typed >= 'a' && typed <= 'z') || (typed >= '0' && typed <= '9') ||
                   typed == ' ';
    if (allowed && editor.length < kScoreNameLength) {
        editor.nameEdit[editor.length++] = static_cast<char>(typed);
        editor.nameEdit[editor.length] = '\0';
    }
}

bool ConfirmScoreName(ScoreTable& table, NameEditor& editor, const char* gamePath)
{
    if (!editor.nameEntryActive)
        return false;
    editor.nameEntryActive = 0;
    SetScoreName(table, editor.level, editor.nameEdit);
    CopyName(table.playerName, editor.nameEdit);
    return SaveScores(table, gamePath);
}
