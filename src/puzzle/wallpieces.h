#pragma once
// The wall pieces: the cell codes 20 to 35, the sides of its cell each piece
// joins and the model it is drawn with. The puzzle core shapes walls by these
// joins, the theme loads these models, the art kit builds them open on these
// sides, and their tests read the same table. Headless: no SDL, no GL.

// Join mask bits: the sides of its cell a wall piece reaches.
enum WallJoin : int { kJoinUp = 1, kJoinDown = 2, kJoinRight = 4, kJoinLeft = 8 };

constexpr int kWallPieceCount = 16;
constexpr int kWallCodeFirst = 20;
constexpr int kWallCodeLast = kWallCodeFirst + kWallPieceCount - 1;

struct WallPiece {
    int joins;          // WallJoin bits
    const char* model;  // file in the theme's "3d/" directory
};

// Piece i is the one for wall code 20 + i.
constexpr WallPiece kWallPieces[kWallPieceCount] = {
    {0, "mur_blocf.3do"},
    {kJoinRight | kJoinLeft, "mur_blocdgo.3do"},
    {kJoinUp | kJoinDown, "mur_blochbo.3do"},
    {kJoinUp | kJoinDown | kJoinRight | kJoinLeft, "mur_blocco.3do"},
    {kJoinDown | kJoinRight, "mur_blocdbo.3do"},
    {kJoinDown | kJoinLeft, "mur_blocbgo.3do"},
    {kJoinUp | kJoinRight, "mur_blochdo.3do"},
    {kJoinUp | kJoinLeft, "mur_blochgo.3do"},
    {kJoinRight, "mur_blocdo.3do"},
    {kJoinLeft, "mur_blocgo.3do"},
    {kJoinDown, "mur_blocbo.3do"},
    {kJoinUp, "mur_blocho.3do"},
    {kJoinUp | kJoinDown | kJoinRight, "mur_blocgf.3do"},
    {kJoinUp | kJoinDown | kJoinLeft, "mur_blocdf.3do"},
    {kJoinDown | kJoinRight | kJoinLeft, "mur_blochf.3do"},
    {kJoinUp | kJoinRight | kJoinLeft, "mur_blocbf.3do"},
};
