#include "play/paddle.h"

#include "gfx/sheet_map.h"
#include "gfx/surface_copy.h"
#include "play/handoffs.h"
#include "play/play_globals.h"

Paddle ThePaddle;

int32_t PaddleX = AtStart::PaddleX;
int32_t PaddleY = AtStart::PaddleY;
char Morphing = AtStart::Morphing;
int32_t MorphTick = AtStart::MorphTick;
char FireLatch = AtStart::FireLatch;
plat::MouseState MouseState;

namespace {

constexpr int32_t LastMorphTick = 12;

// Image rows: 1 normal, 2 laser, 3 catch, 4 wide, 5 narrow; any other row
// number is its own base.
int32_t RowBase(int32_t row) {
    const uint32_t index = static_cast<uint32_t>(row) - 1;  // rows below 1 wrap past the end
    return index < sheets::PaddleRows ? sheets::PaddleRowBase[index] : row;
}

struct Limits {
    int32_t Left, Right;
};

Limits LimitsOf(int32_t kind) {
    if (kind == PaddleNarrow) return {0, 568};
    if (kind == PaddleWide) return {25, 541};
    return {10, 558};
}

struct Transition {
    int32_t Kind, State, Frame;
};

// One morph state: an image row shown frame by frame, counting up or down.
// A forming state ends the morph when its frames run out; a dissolving one
// moves on to the forming state of the new kind.
struct MorphState {
    int32_t Row;
    int32_t LastFrame;  // for counting up
    int32_t Step;       // +1 or -1
    bool Forms;
    Transition Next[5];
};

constexpr Transition None{0, 0, 0};
const MorphState MorphStates[10] = {
    // The normal paddle going to 10 forms again (state 1); without that
    // entry a normal paddle that dissolved towards itself never came back.
    {1, 5, +1, false, {{2, 3, 0}, {3, 5, 0}, {4, 9, 0}, {6, 7, 0}, {10, 1, 5}}},
    {1, 5, -1, true, {None, None, None, None}},
    {3, 4, -1, false, {{3, 5, 0}, {4, 9, 0}, {6, 7, 0}, {10, 1, 5}}},
    {3, 4, +1, true, {None, None, None, None}},
    {2, 4, -1, false, {{2, 3, 0}, {4, 9, 0}, {6, 7, 0}, {10, 1, 5}}},
    {2, 4, +1, true, {None, None, None, None}},
    {4, 5, -1, false, {{2, 3, 0}, {3, 5, 0}, {4, 9, 0}, {10, 1, 5}}},
    {4, 4, +1, true, {None, None, None, None}},
    {5, 4, -1, false, {{2, 3, 0}, {3, 5, 0}, {6, 7, 0}, {10, 1, 5}}},
    {5, 4, +1, true, {None, None, None, None}},
};

bool FramesInRange(const MorphState& s, int32_t frame) {
    // A dissolving row shows every frame from where it started down to 0.
    return s.Step > 0 ? frame >= 0 && frame <= s.LastFrame : frame >= 0;
}

void MoveOnWhenFramesRunOut(const MorphState& s) {
    const int32_t frame = ThePaddle.PaddleFrame;
    const bool runOut = s.Step > 0 ? frame > s.LastFrame : frame < 0;
    if (!runOut) return;
    if (s.Forms) {
        Morphing = 0;
        return;
    }
    for (const Transition& t : s.Next)
        if (t.Kind != 0 && t.Kind == ThePaddle.PaddleKind) {
            ThePaddle.PaddleMorph = t.State;
            ThePaddle.PaddleFrame = t.Frame;
            return;
        }
    // A kind without an entry (the exit paddle) keeps the state as it is.
}

// One step of the morph: each frame shows for 13 play steps.
void MorphStep() {
    const int32_t state = ThePaddle.PaddleMorph;
    if (state < 0 || state > 9) return;
    const MorphState& s = MorphStates[state];
    // KEEP AS DESIGNED: the catch row checks after moving the frame, the
    // others before, so they end one step later with nothing drawn.
    const bool checksLate = state == 2 || state == 3;
    if (FramesInRange(s, ThePaddle.PaddleFrame)) ThePaddle.Draw(PaddleX, PaddleY, s.Row, ThePaddle.PaddleFrame);
    if (!checksLate) MoveOnWhenFramesRunOut(s);
    if (MorphTick == 0) ThePaddle.PaddleFrame += s.Step;
    if (checksLate) MoveOnWhenFramesRunOut(s);
    if (++MorphTick > LastMorphTick) MorphTick = 0;
}

}  // namespace

void Paddle::Draw(int32_t x, int32_t y, int32_t row, int32_t frame) {
    constexpr sheets::Rect image = sheets::PaddleImage;
    CopyRect(5, Pos.PrevY, 5, Pos.PrevY, 700, image.H, SourceBackdrop, 0);
    CopyRect(image.X, RowBase(row) + sheets::PaddleFrameStride * frame + image.Y, x, y, image.W, image.H,
             SourceElements, 1);
    Pos.Set(x, y);
}

bool MovePaddle() {
    const bool down = MouseState.Buttons[0] != 0;
    if (down && BallHeld == 0) {
        FireLatch = 1;
    } else if (down) {
        // Serve, or release a caught ball.
        ThePaddle.CatchArmed = 1;
        BallHeld = 0;
        BallY -= 1;
    } else if (FireLatch == 1) {
        FireLatch = 0;
        FireLasers();  // only the laser paddle, once its cooldown is over
    }
    if (MouseState.X != 0) {
        PaddleX += MouseState.X;
        // KEEP AS DESIGNED: the held ball follows before the clamp.
        if (BallHeld == 1) BallX = PaddleX + HeldOffset;
    }
    const Limits limits = LimitsOf(ThePaddle.PaddleKind);
    if (PaddleX < limits.Left) PaddleX = limits.Left;
    if (PaddleX > limits.Right) {
        if (ThePaddle.PaddleKind == PaddleExit) return true;
        PaddleX = limits.Right;
    }
    return false;
}

void DrawPaddleImage() {
    const int32_t kind = ThePaddle.PaddleKind;
    if (kind == PaddleExit || (kind == PaddleNormal && Morphing == 0)) {
        ThePaddle.Draw(PaddleX, PaddleY, 1, 0);
    } else if (Morphing == 0) {
        switch (kind) {
            case PaddleCatch: ThePaddle.Draw(PaddleX, PaddleY, 3, 4); break;
            case PaddleLaser: ThePaddle.Draw(PaddleX, PaddleY, 2, 4); break;
            case PaddleNarrow: ThePaddle.Draw(PaddleX, PaddleY, 5, 4); break;
            case PaddleWide: ThePaddle.Draw(PaddleX, PaddleY, 4, 5); break;
            default: break;
        }
    }
    if (Morphing == 1) MorphStep();
}

void MorphFromOldKind(int32_t newKind) {
    Morphing = 1;
    auto from = [](int32_t state, int32_t frame) {
        ThePaddle.PaddleMorph = state;
        ThePaddle.PaddleFrame = frame;
    };
    switch (ThePaddle.PaddleKind) {
        case PaddleNormal: from(0, 0); break;
        case PaddleCatch: from(2, 4); break;
        case PaddleLaser: from(4, 4); break;
        case PaddleNarrow: from(8, newKind == PaddleWide ? 5 : 4); break;
        case PaddleWide: from(6, 5); break;
        default: break;  // the exit paddle keeps state and frame
    }
}
