#include "loop/pelmo.h"

GameState gameState;
