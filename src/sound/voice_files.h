// The voice files the game reads and how much of each it reads: the one list
// that the game's loader and the art generator both follow. A plain table
// that includes nothing of the game.
#pragma once

#include <cstdint>

struct VoiceFileBudget {
    const char* FileName;
    uint32_t ByteBudget;  // bytes of the file read: whole seconds of 44.1 kHz 16-bit stereo, or a fraction
};

// In the game's load order. lasers.voc is read twice, for two voices.
inline constexpr VoiceFileBudget VoiceFiles[] = {
    {"brick_high_ping.voc", 352800}, {"brick_low_ping.voc", 352800}, {"paddle_ping.voc", 352800},
    {"crash.voc", 1058400},          {"fanfare.voc", 1058400},       {"expand.voc", 352800},
    {"warp2.voc", 882000},           {"titles.voc", 6879600},        {"ships1.voc", 2646000},
    {"gameover.voc", 1234800},       {"shrink.voc", 529200},         {"lasers.voc", 246960},
    {"lasers.voc", 246960},          {"bonus.voc", 352800},
};
