#pragma once
// The continuous morph cycles of the car and the movable blocks, driven by
// the animation clock T (sixtieths of a second).

struct Model3D;

// Weight of a morph cycle at T + phase: type 0 is the sine cycle
// (sin((T + phase)·π/64) + 1) / 2, any other type the saw-tooth cycle
// ((T + phase) truncated, modulo 128) / 128, which rises from 0 to 127/128
// and jumps back.
float MorphWeight(float T, float phase, int type);

// Sets the weights of every morph instance of the loaded theme from T:
// block colour k, instance j at phase 16k + 16j (plain and "on" instances by
// their own morph types), the car at phase 0 (sine) or 64 (saw-tooth).
void UpdateMorphs(float T);

// Rewrites an instance's arrays for `weight` unless they already hold that
// shape (`morphedAt` remembers the last weight used; a negative one forces).
void MorphInstance(Model3D& instance, float weight, float& morphedAt);
