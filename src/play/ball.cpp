// Every speed rule is computed in double precision from the stored floats
// and stored back as a float: these details decide where the ball goes.
#include "play/ball.h"

#include <cmath>

#include "gfx/sheet_map.h"
#include "gfx/surface_copy.h"
#include "play/play_globals.h"
#include "sound/voice.h"

Ball TheBall;

int32_t BallX = AtStart::BallX;
int32_t BallY = AtStart::BallY;
float BallSpeed = AtStart::BallSpeed;
float RoundStartSpeed = AtStart::RoundStartSpeed;
char BallHeld = AtStart::BallHeld;
int32_t HeldOffset = AtStart::HeldOffset;

namespace {

constexpr int32_t LeftLimit = 26, RightLimit = 641, TopLimit = 25;
constexpr int32_t BandTop = 543, BandBottom = 565;  // both exclusive
constexpr int32_t LostBelow = 581;

// The design's constants: 0.2 and 1/6 are single-precision values.
const double Fifth = static_cast<double>(0.2f);
const double Sixth = static_cast<double>(0.16666667f);

enum class Operation { LeftStrong, Left, Steeper, None, Flatter, Right, RightStrong };
enum class Turn { None, ToLeft, ToRight };

struct Zone {
    int32_t From, To;  // d, inclusive
    Operation Op;
    Turn Direction;
    double Below;  // 0: turn whenever the direction allows
    float Set;
};

// Offsets d = BallX - PaddleX not listed in a table bounce with no change.
const Zone NormalZones[] = {
    {12, 14, Operation::LeftStrong, Turn::ToLeft, 0, 0},
    {17, 19, Operation::LeftStrong, Turn::ToLeft, 4.0, 1.9f},
    {22, 34, Operation::Left, Turn::ToLeft, 2.0, 1.7f},
    {37, 44, Operation::Steeper, Turn::None, 0, 0},
    {57, 64, Operation::Flatter, Turn::None, 0, 0},
    {67, 79, Operation::Right, Turn::ToRight, 3.5, 1.7f},
    {82, 84, Operation::RightStrong, Turn::ToRight, 5.0, 1.9f},
    {87, 89, Operation::RightStrong, Turn::ToRight, 0, 0},
};

const Zone NarrowZones[] = {
    {29, 34, Operation::Left, Turn::ToLeft, 2.0, 1.7f},
    {37, 44, Operation::Steeper, Turn::None, 0, 0},
    {57, 64, Operation::Flatter, Turn::None, 0, 0},
    {67, 69, Operation::Right, Turn::ToRight, 4.0, 1.7f},
};

const Zone WideZones[] = {
    {-2, 0, Operation::LeftStrong, Turn::ToLeft, 0, 0},
    {3, 5, Operation::LeftStrong, Turn::ToLeft, 4.0, 1.9f},
    {11, 13, Operation::Left, Turn::ToLeft, 2.0, 1.7f},
    {16, 21, Operation::Steeper, Turn::None, 0, 0},
    {82, 85, Operation::Flatter, Turn::None, 0, 0},
    {91, 93, Operation::Right, Turn::ToRight, 3.5, 1.7f},
    {96, 98, Operation::RightStrong, Turn::ToRight, 5.0, 1.9f},
    {101, 103, Operation::RightStrong, Turn::ToRight, 0, 0},
};

template <size_t N>
const Zone* FindZone(const Zone (&zones)[N], int32_t d) {
    for (const Zone& z : zones)
        if (d >= z.From && d <= z.To) return &z;
    return nullptr;
}

// KEEP AS DESIGNED: left and right are not mirror images; with D = -1 the
// right operations move a small or negative amount.
void Apply(Operation op, int32_t dir) {
    const double sx = TheBall.SpeedX, sy = TheBall.SpeedY, d = dir;
    double a = 0;
    switch (op) {
        case Operation::LeftStrong:
            a = 2 * d + Fifth * sx;
            TheBall.SpeedY = static_cast<float>(sy + a);
            TheBall.SpeedX = static_cast<float>(sx - a);
            break;
        case Operation::Left:
            a = Fifth * sx + 1.3 * d;
            TheBall.SpeedY = static_cast<float>(sy + a);
            TheBall.SpeedX = static_cast<float>(sx - a);
            break;
        case Operation::Steeper:
            TheBall.SpeedY = static_cast<float>(sy + sy * Sixth + 1);
            TheBall.SpeedX = static_cast<float>(sx - (sx * Sixth + 1));
            break;
        case Operation::Flatter:
            TheBall.SpeedY = static_cast<float>(sy - (sy * Sixth + 1));
            TheBall.SpeedX = static_cast<float>(sx + sx * Sixth + 1);
            break;
        case Operation::Right:
            a = Fifth * sx + 1.3 * d;
            TheBall.SpeedY = static_cast<float>(sy - a);
            TheBall.SpeedX = static_cast<float>(sx + a);
            break;
        case Operation::RightStrong:
            a = Fifth * sx + 2 * d;
            TheBall.SpeedY = static_cast<float>(sy - a);
            TheBall.SpeedX = static_cast<float>(sx + a);
            break;
        case Operation::None: break;
    }
}

void TurnAfterHit(const Zone& z, int32_t dir) {
    const bool from = z.Direction == Turn::ToLeft ? dir == 1 : dir == -1;
    if (z.Direction == Turn::None || !from) return;
    if (z.Below == 0) {
        TheBall.DirX = -dir;
    } else if (static_cast<double>(TheBall.SpeedX) < z.Below) {
        TheBall.DirX = -dir;
        TheBall.SpeedX = z.Set;
    }
}

}  // namespace

void BounceOffPaddle() {
    const int32_t kind = ThePaddle.PaddleKind;
    const int32_t d = BallX - PaddleX;
    const bool narrow = kind == PaddleNarrow, wide = kind == PaddleWide;
    const bool hit = narrow ? (d > 28 && d < 70) : wide ? (d > -3 && d < 104) : (d > 11 && d < 90);
    if (!hit) return;
    const int32_t dir = TheBall.DirX;
    TheBall.DirY = -1;
    BrickBounceCount = 0;
    if (narrow || wide || BallHeld == 0) PlayVoice(VoicePaddle);
    if (!narrow && !wide && kind == PaddleCatch && ThePaddle.CatchArmed == 1) {
        BallHeld = 1;
        ThePaddle.CatchArmed = 0;
        HeldOffset = d;
    }
    const Zone* zone = narrow ? FindZone(NarrowZones, d) : wide ? FindZone(WideZones, d) : FindZone(NormalZones, d);
    if (zone == nullptr) return;
    Apply(zone->Op, dir);
    TurnAfterHit(*zone, dir);
}

void ClampSpeedsInBand() {
    const double s = BallSpeed;
    if (TheBall.SpeedX > s) TheBall.SpeedX = BallSpeed;
    if (TheBall.SpeedX < 1.7) TheBall.SpeedX = 1.7f;
    if (TheBall.SpeedY > s)
        TheBall.SpeedY = BallSpeed;
    else if (TheBall.SpeedY < 1.8)
        TheBall.SpeedY = 1.8f;
    if (TheBall.SpeedX < s - 5 && TheBall.SpeedY < s - 1) TheBall.SpeedY = static_cast<float>(s - 1);
    if (TheBall.SpeedX < s - 1 && TheBall.SpeedY < s - 5) TheBall.SpeedX = static_cast<float>(s - 1);
}

void Ball::Draw(int32_t x, int32_t y) {
    constexpr sheets::Rect image = sheets::BallImage;
    CopyRect(Pos.PrevX, Pos.PrevY, Pos.PrevX, Pos.PrevY, image.W, image.H, SourceBackdrop, 0);
    CopyRect(image.X, image.Y, x, y, image.W, image.H, SourceElements, 1);
    Pos.Set(x, y);
}

void BalanceSpeed() {
    if (2.0 * BallSpeed - 4 > static_cast<double>(TheBall.SpeedX) + TheBall.SpeedY) {
        TheBall.SpeedX = static_cast<float>(TheBall.SpeedX + 1.0);
        TheBall.SpeedY = static_cast<float>(TheBall.SpeedY + 1.0);
    }
}

bool BounceOffWallsAndPaddle() {
    if (BallX < LeftLimit) {
        BallX = LeftLimit;
        TheBall.DirX = 1;
    } else if (BallX > RightLimit) {
        BallX = RightLimit;
        TheBall.DirX = -1;
    }
    if (BallY < TopLimit) {
        BallSpeed = static_cast<float>(BallSpeed + 0.03);
        TheBall.DirY = 1;
        if (BallSpeed < 6.8) BallSpeed = 6.8f;
        if (BallSpeed > 9.8) BallSpeed = 9.8f;
        BallY = TopLimit;
        return false;
    }
    if (BallY > BandTop && BallY < BandBottom) {
        BounceOffPaddle();
        ClampSpeedsInBand();
    }
    return BallY > LostBelow;
}

void MoveBall() {
    if (BallHeld != 0) return;
    BallX += static_cast<int32_t>(std::trunc(TheBall.DirX * static_cast<double>(TheBall.SpeedX)));
    BallY += static_cast<int32_t>(std::trunc(TheBall.DirY * static_cast<double>(TheBall.SpeedY)));
}
