#include "play/capsules.h"

#include <algorithm>

#include "bricks/brick_field.h"
#include "gfx/screen_map.h"
#include "gfx/sheet_map.h"
#include "gfx/surface_copy.h"
#include "gfx/timing.h"
#include "play/crt_random.h"
#include "play/handoffs.h"
#include "play/kinds.h"
#include "play/play_globals.h"
#include "sound/voice.h"

Capsule TheCapsule;

char CapsuleActive = AtStart::CapsuleActive;
int32_t CapsuleColumn = AtStart::CapsuleColumn;
int32_t CapsuleY = AtStart::CapsuleY;

int32_t CapsuleAnimTick = AtStart::CapsuleAnimTick;
int32_t CapsulePhase = AtStart::CapsulePhase;
int32_t CapsuleFrameY = AtStart::CapsuleFrameY;
int32_t CapsuleSheetX = AtStart::CapsuleSheetX;

namespace {

constexpr sheets::Rect UpperFrame = sheets::CapsuleUpperBlock.First, LowerFrame = sheets::CapsuleLowerBlock.First;
constexpr int32_t CapsuleWidth = UpperFrame.W, EraseHeight = 20;
constexpr int32_t CallsPerFrame = 4;
// The phase is the frame's offset from the top of its block.
constexpr int32_t PhaseStep = sheets::CapsuleUpperBlock.StrideY, LastPhase = 504, LastShownPhase = 285;
constexpr int32_t FallPerStep = 2;
constexpr int32_t GoneBelow = 590;
constexpr int32_t GateX = screen::ExitGate.X, GateY = screen::ExitGate.Y;
constexpr int32_t ExitFrom = 558, ExitTo = 729;
constexpr uint32_t ExitStepMs = 30;

int32_t ColumnX(int32_t column) { return column * CellPitchX + CellLeft; }

// The sheet column of a kind's colour; 0 for a number that names no kind.
int32_t SheetColumnOf(int32_t kind) {
    const CapsuleKindFacts* facts = FactsOf(kind);
    return facts != nullptr ? sheets::CapsuleColumnX(facts->SheetColumn) : 0;
}

bool UsesLowerBlock(int32_t kind) {
    const CapsuleKindFacts* facts = FactsOf(kind);
    return facts != nullptr && facts->LowerBlock;
}

// The bricks in front of a capsule at (column, y): its row and the one above,
// in its column and the next.
void RedrawBricksOver(int32_t column, int32_t y) {
    const int32_t r = y == CellTop ? 0 : (y - CellTop + CellPitchY - 1) / CellPitchY;
    auto draw = [](int32_t c, int32_t row) {
        if (c >= 0 && c < FieldColumns && row >= 0 && row < FieldRows && BrickField[c][row].Strength != 0)
            BrickField[c][row].Draw(c, row);
    };
    draw(column, r);
    draw(column, r - 1);
    if (column < FieldColumns - 1) {
        draw(column + 1, r);
        draw(column + 1, r - 1);
    }
}

// Where a drawn capsule may lie over bricks.
bool OverBricks(int32_t y) { return y >= CellTop && y < 468 && (y - CellTop + CellPitchY - 1) / CellPitchY < 16; }

bool ErasedBricksShow(int32_t y) { return y >= CellTop && y < 416; }

// The kind whose share of the 200 draws holds `draw`.
CapsuleKind KindFromDraw(int32_t draw) {
    for (const CapsuleKindFacts& facts : CapsuleKinds)
        if (facts.FirstDraw <= draw && draw <= facts.LastDraw) return facts.Kind;
    return CapsuleKind::Points;
}

// The voice a catch of this kind may sound.
Voice& CatchVoice(CapsuleKind kind) { return *VoiceNamed(FactsOf(kind).CatchVoice); }

// A capsule that changes the paddle's kind shows the change as a morph from
// the old kind.
void BecomeKind(int32_t kind) {
    MorphFromOldKind(kind);
    ThePaddle.PaddleKind = kind;
}

}  // namespace

void Capsule::Draw(int32_t column, int32_t y) {
    if (++CapsuleAnimTick >= CallsPerFrame) {
        // KEEP AS DESIGNED: the colour is picked only here, so a new capsule
        // wears the last one's colour for up to three draws.
        if (const int32_t sheetX = SheetColumnOf(Kind); sheetX != 0) CapsuleSheetX = sheetX;
        CapsulePhase += PhaseStep;
        if (CapsulePhase > LastPhase)
            CapsulePhase = CapsuleFrameY = 0;
        else
            CapsuleFrameY = CapsulePhase <= LastShownPhase ? CapsulePhase : 0;
        CapsuleAnimTick = 0;
    }
    const int32_t pc = Pos.PrevX, py = Pos.PrevY;
    CopyRect(ColumnX(pc), py, ColumnX(pc), py, CapsuleWidth, EraseHeight, SourceBackdrop, 0);
    if (UsesLowerBlock(Kind))
        CopyRect(CapsuleSheetX, CapsuleFrameY + LowerFrame.Y, ColumnX(column), y, LowerFrame.W, LowerFrame.H,
                 SourceElements, 1);
    else
        CopyRect(CapsuleSheetX, CapsuleFrameY + UpperFrame.Y, ColumnX(column), y, UpperFrame.W, UpperFrame.H,
                 SourceElements, 1);
    Pos.Set(column, y);
    // The capsule falls behind the bricks.
    // KEEP AS DESIGNED: the old place is repaired in the new column, which
    // differs only for a new capsule's first draws.
    if (OverBricks(y)) RedrawBricksOver(column, y);
    if (OverBricks(py)) RedrawBricksOver(column, py);
}

void Capsule::Erase(int32_t column, int32_t y) const {
    const int32_t pc = Pos.PrevX, py = Pos.PrevY;
    CopyRect(ColumnX(pc), py, ColumnX(pc), py, CapsuleWidth, EraseHeight, SourceBackdrop, 0);
    CopyRect(ColumnX(column), y, ColumnX(column), y, CapsuleWidth, EraseHeight, SourceBackdrop, 0);
    // KEEP AS DESIGNED: when y is out of bounds, the old place is not repaired either.
    if (!ErasedBricksShow(y)) return;
    RedrawBricksOver(column, y);
    if (ErasedBricksShow(py)) RedrawBricksOver(column, py);
}

void ReleaseCapsule(int32_t dropChance, int32_t column, int32_t row, char& capsuleActive, const Paddle& paddle,
                    int32_t& frameCycle, int32_t& capsuleColumn, int32_t& capsuleY, Capsule& capsule) {
    // The chance is drawn on every break, whether or not a capsule may fall.
    const int32_t chance = crt::rand() % 100;
    if (!(chance < dropChance && capsuleActive != 1 && paddle.PaddleKind != PaddleExit)) return;
    capsuleActive = 1;
    frameCycle = 0;
    capsuleColumn = column;
    capsuleY = CellY(row);
    capsule.Kind = static_cast<int32_t>(KindFromDraw(crt::rand() % 200));
}

int32_t StepCapsule() {
    if (CapsuleActive != 1 || FrameCycle != 1) return 0;
    int32_t caught = 0;
    CapsuleY += FallPerStep;
    // KEEP AS DESIGNED: the window steps 47 per column, not the column pitch
    // of 48, and ignores the paddle's width.
    if (CapsuleColumn * 47 - 65 < PaddleX && PaddleX < CapsuleColumn * 47 + 60 && CapsuleY > 533 && CapsuleY < 562) {
        Score += CatchBonus;
        CapsuleActive = 0;
        CapsuleY = 600;
        caught = 1;
        // This page now; the play step wipes the other after its flip.
        CopyRect(0, 505, 0, 505, 650, 90, SourceBackdrop, 0);
        ApplyCapsuleEffect(TheCapsule.Kind);
    }
    if (CapsuleY > GoneBelow) CapsuleActive = 0;
    FrameCycle = 0;
    return caught;
}

void ApplyCapsuleEffect(int32_t kind) {
    const CapsuleKindFacts* facts = FactsOf(kind);
    if (facts == nullptr) return;
    const int32_t old = ThePaddle.PaddleKind;
    const int32_t gives = facts->GivesPaddle;
    switch (facts->Kind) {
        case CapsuleKind::Laser:
            if (old == gives) return;
            BallHeld = 0;
            MorphTick = 0;
            BecomeKind(gives);
            return;
        case CapsuleKind::Catch:
            // A ball resting on the paddle stays there.
            if (old == gives) return;
            MorphTick = 0;
            ThePaddle.CatchArmed = 1;
            BecomeKind(gives);
            return;
        case CapsuleKind::Wide:
            if (old == gives) return;
            BallHeld = 0;
            MorphTick = 0;
            BecomeKind(gives);
            StartVoice(CatchVoice(facts->Kind));
            return;
        case CapsuleKind::Narrow:
            if (old == gives) return;
            BallHeld = 0;
            MorphTick = 0;
            MorphFromOldKind(gives);
            PlayVoice(CatchVoice(facts->Kind));
            ThePaddle.PaddleKind = gives;
            return;
        case CapsuleKind::Exit:
            BallHeld = 0;
            // The normal paddle already looks like the exit paddle.
            if (old == PaddleNormal)
                ThePaddle.PaddleKind = gives;
            else
                BecomeKind(gives);
            return;
        case CapsuleKind::Slow: {
            const double speed = BallSpeed;
            const double slowed = speed >= 9 ? speed - 3 : speed > 6 ? speed - 2 : speed - 1;
            BallSpeed = static_cast<float>(std::max(slowed, 1.5));
            BallHeld = 0;
            if (old != gives) BecomeKind(gives);
            return;
        }
        case CapsuleKind::Reverse:
            TheBall.DirX = -TheBall.DirX;
            TheBall.DirY = -TheBall.DirY;
            BallHeld = 0;
            if (old != gives) BecomeKind(gives);
            return;
        case CapsuleKind::ExtraLife:
            Lives += 1;
            BallHeld = 0;
            // KEEP AS DESIGNED: the bonus sounds only when the paddle changes back to normal.
            if (old == gives) return;
            MorphFromOldKind(gives);
            StartVoice(CatchVoice(facts->Kind));
            ThePaddle.PaddleKind = gives;
            return;
        case CapsuleKind::Points:
        case CapsuleKind::NoCapsule: return;  // only the catch points
    }
}

void DrawExitGate(int32_t frame, int32_t mode) {
    if (mode == 1) {
        const sheets::Rect image = sheets::ExitGateFrames.Frame(frame);
        CopyRect(image.X, image.Y, GateX, GateY, image.W, image.H, SourceElements, 0);
    } else if (mode == 0) {
        CopyRect(GateX, GateY, GateX, GateY, 17, 54, SourceBackdrop, 0);
        PresentFrame();
        CopyRect(GateX, GateY, GateX, GateY, 17, 54, SourceBackdrop, 0);
    }
}

void RunExitSequence() {
    StartVoice(VoiceWarp);
    for (int32_t x = ExitFrom; x <= ExitTo; ++x) {
        StartTimer();
        DrawExitGate(GateFrame, 1);
        ThePaddle.Draw(x, PaddleY, 1, 0);
        // Parked beside the field, where the erase below covers it.
        TheBall.Draw(700, 545);
        // The gate again, in front of the paddle sliding into it.
        DrawExitGate(GateFrame, 1);
        CopyRect(668, 544, 668, 544, 130, 55, SourceBackdrop, 0);
        PresentFrame();
        WaitSince(ExitStepMs);
    }
    WaitVoice(VoiceWarp);
    CapsuleActive = 0;
    // The round ends with this step, as if the last brick had broken.
    BricksLeft = 0;
}
