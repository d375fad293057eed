// The kinds of paddle and of capsule, and every fact of a capsule kind in one
// table: the game releases, draws and applies capsules by it, and assetgen
// draws each kind's letter into the kind's place on the sheet. Plain numbers
// and names: nothing here draws or sounds, so assetgen may include it.
#pragma once

#include <cstdint>

// Paddle kinds: the values of Paddle::PaddleKind.
constexpr int32_t PaddleNormal = 10;
constexpr int32_t PaddleCatch = 2;
constexpr int32_t PaddleLaser = 3;
constexpr int32_t PaddleNarrow = 4;
constexpr int32_t PaddleWide = 6;
constexpr int32_t PaddleExit = 11;

// Capsule kinds: the values of Capsule::Kind.
enum class CapsuleKind : int32_t {
    Laser = 1,
    Catch = 2,
    Wide = 3,
    Narrow = 4,
    Slow = 5,
    Exit = 6,
    ExtraLife = 7,
    Reverse = 8,
    Points = 9,
    NoCapsule = 10,  // never released; drawn like Points
};

struct CapsuleKindFacts {
    CapsuleKind Kind;
    const char* Name;
    // Where its frames lie on ElementsSurface: a colour column (0 to 4) and
    // the upper or the lower block of that column (gfx/sheet_map.h).
    int32_t SheetColumn;
    bool LowerBlock;
    char Symbol;  // what assetgen draws on it: a letter, '@' a heart, '*' a star
    // A release draws r = rand() % 200 and gives the kind whose range holds
    // r; a kind released by no draw has FirstDraw above LastDraw.
    int32_t FirstDraw, LastDraw;
    // The paddle kind a catch may leave (the effect decides when); 0 for none.
    int32_t GivesPaddle;
    // The game's name of the voice a catch may sound ("VoiceExpand"); null for none.
    const char* CatchVoice;
};

// In the order of the kinds' numbers, from 1.
inline constexpr CapsuleKindFacts CapsuleKinds[] = {
    {CapsuleKind::Laser, "Laser", 0, false, 'L', 21, 40, PaddleLaser, nullptr},
    {CapsuleKind::Catch, "Catch", 0, true, 'C', 41, 70, PaddleCatch, nullptr},
    {CapsuleKind::Wide, "Wide", 1, false, 'W', 71, 95, PaddleWide, "VoiceExpand"},
    {CapsuleKind::Narrow, "Narrow", 1, true, 'N', 96, 125, PaddleNarrow, "VoiceShrink"},
    {CapsuleKind::Slow, "Slow", 2, false, 'S', 126, 150, PaddleNormal, nullptr},
    {CapsuleKind::Exit, "Exit", 2, true, 'E', 0, 10, PaddleExit, nullptr},
    {CapsuleKind::ExtraLife, "ExtraLife", 3, false, '@', 11, 20, PaddleNormal, "VoiceBonus"},
    {CapsuleKind::Reverse, "Reverse", 3, true, 'R', 151, 175, PaddleNormal, nullptr},
    {CapsuleKind::Points, "Points", 4, false, '*', 176, 199, 0, nullptr},
    {CapsuleKind::NoCapsule, "NoCapsule", 4, false, '*', 1, 0, 0, nullptr},
};
inline constexpr int32_t CapsuleKindCount = sizeof CapsuleKinds / sizeof CapsuleKinds[0];

// The facts of a capsule's Kind; null for a number that names no kind.
constexpr const CapsuleKindFacts* FactsOf(int32_t kind) {
    return kind >= 1 && kind <= CapsuleKindCount ? &CapsuleKinds[kind - 1] : nullptr;
}
constexpr const CapsuleKindFacts& FactsOf(CapsuleKind kind) { return CapsuleKinds[static_cast<int32_t>(kind) - 1]; }

static_assert([] {
    for (int32_t i = 0; i < CapsuleKindCount; ++i)
        if (static_cast<int32_t>(CapsuleKinds[i].Kind) != i + 1) return false;
    return true;
}());
