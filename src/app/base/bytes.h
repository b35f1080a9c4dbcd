#pragma once
// Little-endian fields of every binary file the game and its tools read and
// write: levels, saved games, progress, scores, level codes and models.
#include <cstdint>
#include <string>

void PutInt32(std::string& out, int32_t value);
int32_t GetInt32(const unsigned char* p);
void PutFloat(std::string& out, float value);
float GetFloat(const unsigned char* p);
