#pragma once
// The options menu's eight items with their values (the longest menu), as
// the text and scene benchmarks draw them.
#include "text/texte.h"

inline void OptionsMenuItems(WideText items[8], const WideText& language)
{
    const WideText* labels[8] = {&TextKey::Lang,  &TextKey::Resolution, &TextKey::Reflect, &TextKey::Help,
                                 &TextKey::Speed, &TextKey::Sound,      &TextKey::Music,   &TextKey::Back};
    const WideText* values[8] = {&language,        nullptr,      &TextKey::ON, &TextKey::OFF,
                                 &TextKey::Medium, &TextKey::ON, &TextKey::ON, nullptr};
    for (int i = 0; i < 8; ++i) {
        items[i] = *labels[i];
        if (i == 1)
            items[i].Append(" : 1024x768");
        else if (values[i])
            items[i].Append(" : ").Append(*values[i]);
    }
}
