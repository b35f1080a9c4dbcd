#pragma once
// VROConfigFile: a text file of "key=value" lines, read by exact key.
// No sections, no comments: a line without '=' is skipped. Keys and values
// are taken as they stand (spaces around '=' belong to them); the later of
// two equal keys wins.
#include "engine/vrolist.h"

#include <string>

class VROConfigFile {
public:
    // Lines longer than this are cut here; the rest of the line is skipped.
    static constexpr size_t kMaxLine = 4096;

    struct Key {
        std::string key;
        std::string value;
        Key* next = nullptr;
    };

    VROList<Key> keys;
    std::string name;

    bool Load(const char* path);
    bool GetValue(const char* key, std::string& out);
    bool Save(const char* path);
};
