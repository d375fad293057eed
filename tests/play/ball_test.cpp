#include <gtest/gtest.h>

#include "play/ball.h"
#include "play/ball_collision.h"
#include "play/paddle.h"
#include "play/play_globals.h"
#include "sound/voice.h"
#include "support/game_display.h"

namespace {

class BallTest : public testing_support::GameDisplayTest {
protected:
    void SetUp() override {
        GameDisplayTest::SetUp();
        ResetPlayGlobals();
        ThePaddle.PaddleKind = PaddleNormal;
        BallHeld = 0;
        BallSpeed = 5.5f;
        PaddleX = 200;
        BallY = 550;
        TheBall.DirY = 1;
    }
    void TearDown() override {
        ResetPlayGlobals();
        GameDisplayTest::TearDown();
    }
    // A ball d pixels right of the paddle, falling with speeds (sx, sy).
    void HitAt(int32_t d, int32_t dirX, float sx, float sy) {
        BallX = PaddleX + d;
        TheBall.DirX = dirX;
        TheBall.DirY = 1;
        TheBall.SpeedX = sx;
        TheBall.SpeedY = sy;
        BounceOffPaddle();
    }
    void ExpectBall(int32_t dirX, float sx, float sy) {
        EXPECT_EQ(TheBall.DirY, -1);
        EXPECT_EQ(TheBall.DirX, dirX);
        EXPECT_FLOAT_EQ(TheBall.SpeedX, sx);
        EXPECT_FLOAT_EQ(TheBall.SpeedY, sy);
    }
};

TEST_F(BallTest, NormalZonesReshapeTheSpeeds) {
    HitAt(13, 1, 5, 5);
    ExpectBall(-1, 2.0f, 8.0f);  // left, strong: always turns left
    HitAt(18, 1, 5, 5);
    ExpectBall(-1, 1.9f, 8.0f);  // below 4.0: turns, with 1.9
    HitAt(30, 1, 5, 5);
    ExpectBall(1, 2.7f, 7.3f);  // 2.7 is not below 2.0: goes on right
    HitAt(40, 1, 5, 5);
    ExpectBall(1, 3.1666667f, 6.8333335f);
    HitAt(50, -1, 5, 5);
    ExpectBall(-1, 5, 5);
    HitAt(60, 1, 5, 5);
    ExpectBall(1, 6.8333335f, 3.1666667f);
    HitAt(70, -1, 5, 5);
    ExpectBall(-1, 4.7f, 5.3f);  // coming from the right: a small, negative transfer
    HitAt(70, -1, 2, 5);
    ExpectBall(1, 1.7f, 5.9f);  // below 3.5: turns right, with 1.7
    HitAt(83, -1, 5, 5);
    ExpectBall(1, 1.9f, 6.0f);
    HitAt(88, -1, 5, 5);
    ExpectBall(1, 4.0f, 6.0f);
    HitAt(70, 1, 5, 5);
    ExpectBall(1, 7.3f, 2.7f);  // already going right: no turn
}

TEST_F(BallTest, GapsBounceWithoutChangeAndTheSpanIsExclusive) {
    for (int32_t d : {15, 16, 20, 35, 46, 86}) {
        HitAt(d, 1, 4.5f, 3.5f);
        ExpectBall(1, 4.5f, 3.5f);
    }
    for (int32_t d : {11, 90}) {
        HitAt(d, 1, 4.5f, 3.5f);
        EXPECT_EQ(TheBall.DirY, 1) << d;
    }
}

TEST_F(BallTest, NarrowAndWideSpans) {
    ThePaddle.PaddleKind = PaddleNarrow;
    for (int32_t d : {28, 70}) {
        HitAt(d, 1, 5, 5);
        EXPECT_EQ(TheBall.DirY, 1) << d;
    }
    HitAt(29, 1, 5, 5);
    ExpectBall(1, 2.7f, 7.3f);
    HitAt(68, -1, 2, 5);
    ExpectBall(1, 1.7f, 5.9f);  // the narrow right zone turns below 4.0
    HitAt(14, 1, 5, 5);         // inside the normal span, outside the narrow one
    EXPECT_EQ(TheBall.DirY, 1);

    ThePaddle.PaddleKind = PaddleWide;
    HitAt(-3, 1, 5, 5);
    EXPECT_EQ(TheBall.DirY, 1);
    HitAt(-2, 1, 5, 5);
    ExpectBall(-1, 2.0f, 8.0f);
    HitAt(50, 1, 5, 5);
    ExpectBall(1, 5, 5);
    HitAt(103, -1, 5, 5);
    ExpectBall(1, 4.0f, 6.0f);
    HitAt(104, 1, 5, 5);
    EXPECT_EQ(TheBall.DirY, 1);
}

// 0.2 and 1/6 are single-precision constants; with double ones these small
// results come out one bit different.
TEST_F(BallTest, SinglePrecisionConstants) {
    HitAt(40, 1, 1.7f, 5);
    EXPECT_EQ(TheBall.SpeedX, 0.41666669f);
    HitAt(70, 1, 1.751f, 5);
    EXPECT_EQ(TheBall.SpeedY, 3.3497999f);
}

TEST_F(BallTest, APaddleHitResetsTheBrickCountAndTheCatchPaddleHolds) {
    BrickBounceCount = 7;
    ThePaddle.PaddleKind = PaddleCatch;
    ThePaddle.CatchArmed = 1;
    HitAt(33, 1, 5, 5);
    EXPECT_EQ(BrickBounceCount, 0);
    EXPECT_EQ(BallHeld, 1);
    EXPECT_EQ(HeldOffset, 33);
    EXPECT_EQ(ThePaddle.CatchArmed, 0);
    // Disarmed, the next hit bounces.
    BallHeld = 0;
    HitAt(33, 1, 5, 5);
    EXPECT_EQ(BallHeld, 0);
}

TEST_F(BallTest, ThePaddlePingsForAFreeBallAndOnTheNarrowAndWideSpansAlways) {
    static int pings;
    VoiceObserver = [](VoiceOp op, const Voice& voice) { pings += op == VoiceOp::Play && &voice == &VoicePaddle; };
    const struct {
        int32_t Kind;
        char Held;
        int32_t D;
        int Pings;
    } cases[] = {
        {PaddleNormal, 0, 40, 1}, {PaddleNormal, 1, 40, 0}, {PaddleCatch, 1, 40, 0},  {PaddleLaser, 0, 40, 1},
        {PaddleNarrow, 1, 40, 1}, {PaddleWide, 1, 40, 1},   {PaddleNormal, 0, 11, 0},  // outside the span
    };
    for (const auto& c : cases) {
        pings = 0;
        ThePaddle.PaddleKind = c.Kind;
        BallHeld = c.Held;
        HitAt(c.D, 1, 5, 5);
        EXPECT_EQ(pings, c.Pings) << "kind " << c.Kind << " held " << int{c.Held} << " d " << c.D;
    }
    VoiceObserver = nullptr;
}

TEST_F(BallTest, ServeFromTheRoundStartSpeeds) {
    BallHeld = 1;
    BallY = 544;
    PaddleX = 300;
    BallX = 340;
    TheBall.SpeedX = TheBall.SpeedY = 6.2f;
    TheBall.DirX = 1;
    const float expected[][2] = {{4.1666665f, 5.5f}, {2.4722221f, 5.5f}, {1.7f, 5.5f}, {1.7f, 5.5f}};
    for (const auto& e : expected) {
        BalanceSpeed();
        BounceOffWallsAndPaddle();
        EXPECT_FLOAT_EQ(TheBall.SpeedX, e[0]);
        EXPECT_FLOAT_EQ(TheBall.SpeedY, e[1]);
    }
    // Away from the paddle only the clamps act.
    BallX = 500;
    PaddleX = 10;
    TheBall.SpeedX = TheBall.SpeedY = 6.2f;
    BounceOffWallsAndPaddle();
    EXPECT_FLOAT_EQ(TheBall.SpeedX, 5.5f);
    EXPECT_FLOAT_EQ(TheBall.SpeedY, 5.5f);
}

TEST_F(BallTest, BandClampsKeepSpeedsWithinTheLevel) {
    BallSpeed = 1.5f;  // after slow capsules
    TheBall.SpeedX = 1;
    TheBall.SpeedY = 3;
    ClampSpeedsInBand();
    EXPECT_FLOAT_EQ(TheBall.SpeedX, 1.7f);
    EXPECT_FLOAT_EQ(TheBall.SpeedY, 1.5f);
    BallSpeed = 9.8f;
    TheBall.SpeedX = 2;
    TheBall.SpeedY = 2;
    ClampSpeedsInBand();
    EXPECT_FLOAT_EQ(TheBall.SpeedY, 8.8f);  // x below S - 5: y lifted to S - 1
    EXPECT_FLOAT_EQ(TheBall.SpeedX, 2);
}

TEST_F(BallTest, WallsAndTheTopWallsSpeedLevel) {
    BallY = 300;
    BallX = 20;
    TheBall.DirX = -1;
    BounceOffWallsAndPaddle();
    EXPECT_EQ(BallX, 26);
    EXPECT_EQ(TheBall.DirX, 1);
    BallX = 645;
    BounceOffWallsAndPaddle();
    EXPECT_EQ(BallX, 641);
    EXPECT_EQ(TheBall.DirX, -1);

    BallSpeed = 5.5f;
    const float levels[] = {6.8f, 6.83f, 6.86f};
    for (float level : levels) {
        BallY = 20;
        TheBall.DirY = -1;
        EXPECT_FALSE(BounceOffWallsAndPaddle());
        EXPECT_EQ(BallY, 25);
        EXPECT_EQ(TheBall.DirY, 1);
        EXPECT_FLOAT_EQ(BallSpeed, level);
    }
    for (int touch = 0; touch < 200; ++touch) {
        BallY = 20;
        BounceOffWallsAndPaddle();
    }
    EXPECT_EQ(BallSpeed, 9.8f);
}

TEST_F(BallTest, BalancingAndMovementTruncateTowardZero) {
    BallSpeed = 9;
    TheBall.SpeedX = 3;
    TheBall.SpeedY = 4;
    for (int step = 0; step < 6; ++step) BalanceSpeed();
    // 1 was added while the sum stayed below 2 x 9 - 4 = 14: 7, 9, 11, 13, 15.
    EXPECT_FLOAT_EQ(TheBall.SpeedX, 7);
    EXPECT_FLOAT_EQ(TheBall.SpeedY, 8);

    BallX = 100;
    BallY = 100;
    TheBall.DirX = -1;
    TheBall.DirY = 1;
    TheBall.SpeedX = 6.9f;
    TheBall.SpeedY = 6.2f;
    MoveBall();
    EXPECT_EQ(BallX, 94);
    EXPECT_EQ(BallY, 106);
    BallHeld = 1;
    MoveBall();
    EXPECT_EQ(BallX, 94);
    // Past the bottom line.
    BallHeld = 0;
    BallY = 582;
    EXPECT_TRUE(BounceOffWallsAndPaddle());
}

}  // namespace
