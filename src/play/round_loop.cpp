#include "play/round_loop.h"

#include "bricks/brick_field.h"
#include "bricks/round_backdrop.h"
#include "bricks/round_layouts.h"
#include "gfx/sheet_map.h"
#include "gfx/surface_copy.h"
#include "gfx/timing.h"
#include "platform/platform.h"
#include "play/ball.h"
#include "play/ball_collision.h"
#include "play/capsules.h"
#include "play/crt_random.h"
#include "play/lasers.h"
#include "play/paddle.h"
#include "play/play_globals.h"
#include "play/play_report.h"
#include "play/round_screens.h"
#include "play/status_panel.h"
#include "sound/voice.h"

char NewGamePending = AtStart::NewGamePending;
char RoundSetupPending = AtStart::RoundSetupPending;
int32_t RoundFrameCount = AtStart::RoundFrameCount;
int32_t BricksLeft = AtStart::BricksLeft;
int32_t FrameCycle = AtStart::FrameCycle;
int32_t RepairColumn = AtStart::RepairColumn;
int32_t RepairRow = AtStart::RepairRow;
int32_t GateTick = AtStart::GateTick;
int32_t GateFrame = AtStart::GateFrame;

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
    LastPlayFrame.RoundBuilt = true;
    BricksLeft = BuildRoundLayout(LayoutForRound(RoundNumber));
    LoadRoundBackdrop(RoundNumber);
    RoundFrameCount = 0;
    BallSpeed = RoundStartSpeed;
    RoundSetupPending = 0;
}

void DrawWholeField() {
    ClearScreen(ClearBackBuffer);
    RefreshBackdrop();
    // Each wall goes to the same place on the screen as it has on the sheet.
    for (const sheets::Rect& w : sheets::Walls) {
        CopyRectToBackdrop(w.X, w.Y, w.X, w.Y, w.W, w.H, SourceBElements, 1);
        CopyRect(w.X, w.Y, w.X, w.Y, w.W, w.H, SourceBElements, 1);
    }
    for (int column = 0; column < FieldColumns; ++column)
        for (int row = 0; row < PlayedRows; ++row)
            if (BrickField[column][row].Strength > 0) BrickField[column][row].Draw(column, row);
    PresentFrame();
}

void FieldReset() {
    plat::ShowCursor(false);
    // KEEP AS DESIGNED: the clock picks one of only 100 seeds, two draws are thrown away.
    const int64_t now = plat::Time();
    LastPlayFrame.Seeded = true;
    LastPlayFrame.SeedTime = now;
    crt::srand(static_cast<uint32_t>(now));
    crt::srand(static_cast<uint32_t>(crt::rand() % 100));
    crt::rand();
    crt::rand();
    ThePaddle.PaddleKind = PaddleNormal;
    ThePaddle.CatchArmed = 0;
    TheCapsule.Kind = static_cast<int32_t>(CapsuleKind::Laser);
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

void Erase(int32_t x, int32_t y, int32_t width, int32_t height) {
    CopyRect(x, y, x, y, width, height, SourceBackdrop, 0);
}

void EraseCapsuleIfFalling() {
    if (CapsuleActive == 1) TheCapsule.Erase(CapsuleColumn, CapsuleY);
}

// Twelve frames of 75 ms where the paddle was.
void Explosion() {
    const int32_t x = PaddleX - 10, y = PaddleY - 60;
    const int32_t width = sheets::ExplosionHalves[0].First.W, height = sheets::ExplosionHalves[0].First.H;
    for (const sheets::Strip& half : sheets::ExplosionHalves)
        for (int32_t i = 0; i < half.Count; ++i) {
            const sheets::Rect frame = half.Frame(i);
            StartTimer();
            CopyRect(frame.X, frame.Y, x, y, frame.W, frame.H, SourceElements, 1);
            PresentFrame();
            WaitSince(75);
            Erase(x, y, frame.W, frame.H);
        }
    Erase(x, y, width, height);
    PresentFrame();
    Erase(x, y, width, height);
}

// The ball went past the bottom line.
void LoseLife() {
    StartVoice(VoiceCrash);
    // Never below 0, whatever else this step did.
    if (Lives > 0) Lives -= 1;
    WaitSince(45);
    Erase(0, 550, 650, 50);
    EraseCapsuleIfFalling();
    PresentFrame();
    Erase(0, 550, 650, 50);
    EraseCapsuleIfFalling();
    CapsuleActive = 0;
    Explosion();
    WaitVoice(VoiceCrash);
    DrawExitGate(GateFrame, 0);
    if (Lives > 0)
        ShowRoundAnnouncement(RoundNumber);
    else
        ShowGameOver();
    // The serve position, where the paddle died.
    TheBall.DirY = -1;
    BallHeld = 1;
    BallX = PaddleX + 40;
    BallY = 544;
    HeldOffset = 40;
    Morphing = 0;
    ThePaddle.PaddleKind = PaddleNormal;
    ThePaddle.PaddleFrame = 0;
    BallSpeed = RoundStartSpeed;
}

// From the thirteenth step with the exit paddle on, the gate glows in the wall.
void AnimateExitGate() {
    if (ThePaddle.PaddleKind != PaddleExit) return;
    if (++GateTick <= 12) return;
    DrawExitGate(GateFrame, 1);
    if (++GateFrame > 8) GateFrame = 0;
}

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

    PlayFrameReport& report = LastPlayFrame;
    if ((report.Escape = plat::KeyDown(plat::Key::Escape))) plat::PostMessage(plat::MsgDestroy, 0, 0);
    if ((report.F1 = plat::KeyDown(plat::Key::F1))) {
        report.Paused = true;
        PauseUntilF1Tapped();
        report.Paused = false;
    }
    if ((report.F5 = plat::KeyDown(plat::Key::F5))) {
        Lives = 0;
        ShowGameOver();
        // The game is over: nothing of it may move or draw any more.
        return 1;
    }

    int32_t hitColumn = 0;
    int32_t hitRow = -1;
    int32_t brickBroken = 0;
    int32_t capsuleCaught = 0;

    UpdateLaserVolleys();
    if (!plat::MouseRead(&MouseState)) {
        report.Mouse = PlayFrameReport::MouseRead::Failed;
        return 0;
    }
    report.Mouse = PlayFrameReport::MouseRead::Read;
    report.MouseX = MouseState.X;
    report.Button = MouseState.Buttons[0];
    if (MovePaddle()) RunExitSequence();
    capsuleCaught = StepCapsule();
    BalanceSpeed();
    if (BounceOffWallsAndPaddle()) LoseLife();
    CollideBallWithBricks(hitColumn, hitRow, TheBall, BallX, BallY, BallSpeed, brickBroken, CapsuleActive, ThePaddle,
                          FrameCycle, CapsuleColumn, CapsuleY, TheCapsule);
    MoveBall();
    DrawStatusPanel();
    DrawPaddleImage();
    AnimateExitGate();
    TheBall.Draw(BallX, BallY);
    if (CapsuleActive == 1) TheCapsule.Draw(CapsuleColumn, CapsuleY);
    RepairBricks(hitColumn, hitRow, false);
    PresentFrame();
    if (brickBroken == 1) {
        BrickField[hitColumn][hitRow].Erase(hitColumn, hitRow);
        Score += 10;
        BricksLeft -= 1;
    }
    if (capsuleCaught == 1) CopyRect(0, 505, 0, 505, 650, 90, SourceBackdrop, 0);
    RepairBricks(hitColumn, hitRow, true);
    report.HitColumn = hitColumn;
    report.HitRow = hitRow;
    report.BrickBroken = brickBroken;
    report.CapsuleCaught = capsuleCaught;
    WaitSince(StepMs);
    // At or below 0: a brick broken after the exit emptied the count must
    // still end the round, once.
    if (BricksLeft <= 0) RoundCleared();
    return 1;
}

}  // namespace

int32_t LayoutForRound(int32_t round) { return round >= 1 ? (round - 1) % RoundLayoutCount + 1 : round; }

int32_t PlayFrame() {
    LastPlayFrame = PlayFrameReport{};
    if (NewGamePending == 1) {
        NewGameReset();
        if (ForcedStartRound > 0) {
            RoundNumber = ForcedStartRound;
            LastPlayFrame.RoundForced = true;
        }
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
