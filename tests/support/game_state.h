// Puts every global of play and the front end back as the program starts.
#pragma once

#include "bricks/brick_field.h"
#include "frontend/title_screen.h"
#include "play/ball.h"
#include "play/ball_collision.h"
#include "play/capsules.h"
#include "play/lasers.h"
#include "play/paddle.h"
#include "play/round_loop.h"
#include "play/status_panel.h"

namespace testing_support {

inline void ResetGameGlobals() {
    Lives = 0;
    Score = 0;
    RoundNumber = 1;
    NewGamePending = RoundSetupPending = 1;
    RoundFrameCount = BricksLeft = FrameCycle = RepairColumn = RepairRow = 0;
    GateTick = GateFrame = 0;
    TitleMusicPending = TitleZoomPending = 1;
    ThePaddle = Paddle{};
    TheBall = Ball{};
    TheCapsule = Capsule{};
    PaddleX = 0;
    PaddleY = 550;
    BallX = BallY = 0;
    BallSpeed = 0;
    RoundStartSpeed = 5.5f;
    BallHeld = 1;
    HeldOffset = 40;
    Morphing = FireLatch = 0;
    MorphTick = 0;
    CapsuleActive = 0;
    CapsuleColumn = CapsuleY = 0;
    ResetLasers();
    BrickBounceCount = 0;
    for (auto& column : BrickField)
        for (auto& cell : column) cell = BrickCell{};
}

}  // namespace testing_support
