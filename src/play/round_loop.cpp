#include "play/round_loop.h"

#include "bricks/ball_collision.h"
#include "bricks/brick_field.h"
#include "bricks/round_backdrop.h"
#include "bricks/round_layouts.h"
#include "gfx/surface_copy.h"
#include "platform/platform.h"
#include "play/ball.h"
#include "play/capsules.h"
#include "play/lasers.h"
#include "play/paddle.h"
#include "play/round_screens.h"
#include "play/status_panel.h"
#include "shell/crt_random.h"
#include "shell/timing.h"

char NewGamePending = 1;
char RoundSetupPending = 1;
int32_t RoundFrameCount = 0;
int32_t BricksLeft = 0;
int32_t FrameCycle = 0;
int32_t RepairColumn = 0;
int32_t RepairRow = 0;
int32_t GateTick = 0;
int32_t GateFrame = 0;

namespace {

constexpr int32_t AnnouncementCall = 14;
constexpr int32_t FirstPlayCall = 15;
constexpr int32_t LastCountedCall = 17;
constexpr uint32_t StepMs = 10;

void NewGameReset() {
    PaddleX = 0;
    PaddleY = 550;
    BallX = BallY = 550;
    CapsuleColumn = CapsuleY = 0;
    CapsuleActive = 0;
    RoundFrameCount = 0;
    BallSpeed = RoundStartSpeed = 5.5f;
    FrameCycle = RepairColumn = RepairRow = 0;
    BallHeld = 1;
    HeldOffset = 40;
    Score = 0;
    RoundNumber = 1;
    Morphing = 0;
    MorphTick = 0;
    GateTick = 0;
    RoundSetupPending = 1;
    BricksLeft = 0;
    FireLatch = 0;
    ResetLasers();
    BrickBounceCount = 0;
    NewGamePending = 0;
}

void RoundSetup() {
    BricksLeft = BuildRoundLayout(LayoutForRound(RoundNumber));
    LoadRoundBackdrop(RoundNumber);
    RoundFrameCount = 0;
    BallSpeed = RoundStartSpeed;
    RoundSetupPending = 0;
}

void DrawWholeField() {
    ClearScreen(ClearBackBuffer);
    RefreshBackdrop();
    struct Wall {
        int32_t X, Y, Width, Height;
    };
    const Wall walls[] = {{8, 6, 18, 592}, {26, 6, 624, 19}, {650, 6, 18, 592}};
    for (const Wall& w : walls) {
        CopyRectToBackdrop(w.X, w.Y, w.X, w.Y, w.Width, w.Height, SourceBElements, 1);
        CopyRect(w.X, w.Y, w.X, w.Y, w.Width, w.Height, SourceBElements, 1);
    }
    for (int column = 0; column < FieldColumns; ++column)
        for (int row = 0; row < PlayedRows; ++row)
            if (BrickField[column][row].Strength > 0) BrickField[column][row].Draw(column, row);
    PresentFrame();
}

void FieldReset() {
    plat::ShowCursor(false);
    // KEEP AS DESIGNED: the clock picks one of only 100 seeds, two draws are thrown away.
    crt::srand(static_cast<uint32_t>(plat::Time()));
    crt::srand(static_cast<uint32_t>(crt::rand() % 100));
    crt::rand();
    crt::rand();
    ThePaddle.PaddleKind = PaddleNormal;
    ThePaddle.CatchArmed = 0;
    TheCapsule.Kind = Laser;
    BallX = 500;
    BallY = 544;
    TheBall.DirX = 1;
    TheBall.DirY = -1;
    TheBall.SpeedX = TheBall.SpeedY = 6.2f;
    GateFrame = 0;
    // A morph still running from the last round would otherwise play on
    // over the fresh paddle.
    Morphing = 0;
    ThePaddle.PaddleFrame = 0;
    DrawWholeField();
    DrawWholeField();
}

}  // namespace

void RepairBricks(int32_t hitColumn, int32_t hitRow, bool advanceSweep) {
    RedrawBrick(RepairColumn, RepairRow);
    RedrawBrick(hitColumn, hitRow);
    if (hitColumn < FieldColumns - 1) RedrawBrick(hitColumn + 1, hitRow);
    if (hitColumn > 0) RedrawBrick(hitColumn - 1, hitRow);
    if (hitRow < PlayedRows - 1) RedrawBrick(hitColumn, hitRow + 1);
    if (hitRow > 0) RedrawBrick(hitColumn, hitRow - 1);
    if (!advanceSweep) return;
    if (++RepairColumn >= FieldColumns) {
        RepairColumn = 0;
        if (++RepairRow >= PlayedRows) RepairRow = 0;
    }
}

namespace {

void RoundCleared() {
    RoundSetupPending = 1;
    RoundNumber += 1;
    BallHeld = 1;
    CapsuleActive = 0;
    ResetLasers();
    BrickBounceCount = 0;
}

// One step of play. Returns 0 when the mouse could not be read, else 1.
int32_t PlayStep() {
    if (++FrameCycle > 20) FrameCycle = 0;
    StartTimer();
    plat::ShowCursor(false);

    if (plat::KeyDown(plat::Key::Escape)) plat::PostMessage(plat::MsgDestroy, 0, 0);
    if (plat::KeyDown(plat::Key::F1)) PauseUntilF1Tapped();
    if (plat::KeyDown(plat::Key::F5)) {
        Lives = 0;
        ShowGameOver();
        // The game is over: nothing of it may move or draw any more.
        return 1;
    }

    int32_t hitColumn = 0;
    int32_t hitRow = -1;
    int32_t brickBroken = 0;
    int32_t capsuleCaught = 0;

    // The laser volleys move here.
    if (!plat::MouseRead(&MouseState)) return 0;
    // Here: the button and the paddle's motion; the falling capsule and its
    // catch; the ball's walls, paddle and bottom line; the ball against the
    // bricks; the ball's move.
    DrawStatusPanel();
    // Here: the paddle image, the exit gate, the ball and the capsule.
    RepairBricks(hitColumn, hitRow, false);
    PresentFrame();
    if (brickBroken == 1) {
        BrickField[hitColumn][hitRow].Erase(hitColumn, hitRow);
        Score += 10;
        BricksLeft -= 1;
    }
    if (capsuleCaught == 1) CopyRect(0, 505, 0, 505, 650, 90, SourceBackdrop, 0);
    RepairBricks(hitColumn, hitRow, true);
    WaitSince(StepMs);
    // At or below 0: a brick broken after the exit emptied the count must
    // still end the round, once.
    if (BricksLeft <= 0) RoundCleared();
    return 1;
}

}  // namespace

int32_t LayoutForRound(int32_t round) { return round >= 1 ? (round - 1) % RoundLayoutCount + 1 : round; }

int32_t PlayFrame() {
    if (NewGamePending == 1) {
        NewGameReset();
        RoundSetup();
        FieldReset();
    } else if (RoundSetupPending == 1) {
        RoundSetup();
        FieldReset();
    } else if (RoundFrameCount <= FirstPlayCall) {
        FieldReset();
    }
    if (RoundFrameCount == AnnouncementCall) ShowRoundAnnouncement(RoundNumber);
    if (RoundFrameCount >= FirstPlayCall && PlayStep() == 0) return 0;
    if (RoundFrameCount < LastCountedCall) RoundFrameCount += 1;
    return 1;
}
