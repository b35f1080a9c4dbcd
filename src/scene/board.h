#pragma once
// The board renderer: one frame of the playing field in 3D from the puzzle's
// board, car, block, bomb, track and explosion state and the loaded theme.
// Apart from its scenery lists and the baked detail layer it changes nothing.
#include <cstdint>
#include <vector>

struct GLContext;
struct Material;
struct Model3D;
struct Puzzle;

// How the frame is to be drawn; the caller owns all of it.
struct BoardView {
    int cameraMode = 0;          // 0 board centre, 1 follows the car, 2 also turns with it
    float T = 0;                 // animation clock, advanced by the caller
    bool reflect = false;        // the "Reflect" setting
    bool rebuildDetail = false;  // bake the detail layer again before this frame
};

// One wall piece or special block placed on the board.
struct SceneryRecord {
    int code = 0;                  // cell code
    float worldX = 0, worldZ = 0;  // placement in board coordinates
    float scale = 1;
    float mirrorX = 1, mirrorZ = 1;  // -1 mirrors the model on that axis
    // Moves the model within its mirrored frame: a special block's model is
    // made about the corner half a cell away from its cell's centre, so the
    // mirror images of all four codes stand on their own cell.
    float offsetX = 0, offsetZ = 0;
    float bboxMin[3] = {0, 0, 0}, bboxMax[3] = {0, 0, 0};  // placed model, board coordinates
    Model3D* model = nullptr;                              // the theme's, not owned
    bool batched = false;                                  // drawn as part of the batches, not on its own
};

// One material's share of the fixed scenery, placed in board coordinates
// (mirrored pieces with their triangles turned round), so the walls and
// statues cost one draw per material and not one per piece and object.
struct SceneryBatch {
    const Material* material = nullptr;  // the theme's, not owned
    bool smooth = false;                 // vertex normals are sent
    std::vector<float> points, normals, texCoords;
    std::vector<uint32_t> faces;
};

struct BoardScenery {
    std::vector<SceneryRecord> walls;
    std::vector<SceneryRecord> props;
    std::vector<SceneryBatch> batches;  // every batched record's objects
    bool bakePending = true;            // the detail layer must be baked before the next frame
    int themeSerial = -1;               // the theme load the lists were made with
    bool opaque = true;                 // no model the board draws blends
};

BoardScenery& CurrentScenery();

// Empties and refills the wall and prop lists and their batches from the
// board (level start, whenever wall or special cells change, and after a
// theme load, which a resolution change includes) and asks for a new bake.
// A piece with an environment-mapped object stays out of the batches.
// Specials: a whole 2 × 2 group (36 37 / 38 39) is one model at the corner
// its cells share; every other special cell, whatever its code, gets the
// model at half size on its own cell, mirrored as its code says (37 left to
// right, 38 top to bottom, 39 both), so no special cell is ever invisible.
void BuildSceneryLists(const Puzzle& p);

// Bakes the shadows of the fixed scenery into the detail layer. Needs a
// loaded theme and a window of at least 256 × 256 pixels for the shadows;
// a smaller window gets the detail picture alone.
bool CreateDetailTexture(GLContext& context);

// Draws one frame of the board into the current GL context. The caller has
// cleared the picture, set the projection and the camera (ApplyCamera) as
// the modelview matrix, and swaps afterwards; the matrices come back as they
// were. Nothing is drawn while no theme is loaded; lists made before the
// theme now loaded are made again from the board first.
void DrawBoard(GLContext& context, const Puzzle& p, const BoardView& view);

// The depth range the board is drawn with: the nearest part of the range is
// its reflection's. What is drawn later against the board's depth takes it
// too; the range is not left set after DrawBoard.
void ApplyBoardDepthRange();

// The view transform of a camera: move back by distance, tilt by pitch
// about (−1, 0, 0), turn by yaw about (0, −1, 0).
void ApplyCamera(float yaw, float pitch, float distance);

// Draws the instance once more as a red overlay whose opacity follows
// |sin(T·π/200)|; every material it touches gets back exactly the flags,
// transparency and ambient colour it had.
void DrawLostOverlay(Model3D& instance, float T);
