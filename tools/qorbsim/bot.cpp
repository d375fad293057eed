#include "bot.h"

#include <algorithm>
#include <cmath>

#include "play/ball.h"
#include "play/capsules.h"
#include "play/lasers.h"
#include "play/paddle.h"
#include "play/round_loop.h"
#include "play/status_panel.h"

namespace {

constexpr int32_t MaxMotion = 60;  // a brisk hand, not a teleport
constexpr int32_t BandTop = 543;
constexpr int32_t Aims[] = {50, 38, 62, 44, 28, 56, 72};  // where on the paddle to meet the ball

plat::TimedInput At(uint64_t at, const plat::InputEvent& event) { return plat::TimedInput{at, event}; }

// Where a falling ball will first stand inside the paddle band, with the walls
// but not the bricks (below the bricks there are none).
int32_t LandingX() {
    int32_t x = BallX, y = BallY, dirX = TheBall.DirX;
    const auto stepX = static_cast<int32_t>(std::trunc(TheBall.SpeedX));
    const auto stepY = std::max(1, static_cast<int32_t>(std::trunc(TheBall.SpeedY)));
    for (int guard = 0; guard < 2000; ++guard) {
        if (x < 26) x = 26, dirX = 1;
        if (x > 641) x = 641, dirX = -1;
        if (y > BandTop) return x;
        x += dirX * stepX;
        y += stepY;
    }
    return x;
}

}  // namespace

std::vector<plat::TimedInput> Bot::Act(uint64_t atMs) { return Lives > 0 ? InPlay(atMs) : OnTitle(atMs); }

// Enter starts the intro; a second press, once it plays, cuts it short.
std::vector<plat::TimedInput> Bot::OnTitle(uint64_t atMs) {
    buttonDown_ = false;
    if (startArranged_) return {};
    startArranged_ = true;
    using plat::Key;
    return {At(atMs, plat::KeyEvent(Key::Enter, true)), At(atMs + 150, plat::KeyEvent(Key::Enter, false)),
            At(atMs + 1500, plat::KeyEvent(Key::Enter, true)), At(atMs + 1650, plat::KeyEvent(Key::Enter, false))};
}

int32_t Bot::TargetPaddleX() const {
    const int32_t aim = Aims[aimIndex_ % static_cast<int>(std::size(Aims))];
    const bool falling = TheBall.DirY > 0 && BallHeld == 0;
    // Go for a capsule while the ball is far away.
    if (CapsuleActive == 1 && CapsuleY < 560 && (!falling || BallY < 330)) return CapsuleColumn * 47 - 3;
    if (falling) return LandingX() - aim;
    return BallX - 50;
}

std::vector<plat::TimedInput> Bot::InPlay(uint64_t atMs) {
    startArranged_ = false;
    std::vector<plat::TimedInput> events;
    if (RoundFrameCount < 15) return events;
    // A new aim after every return from the paddle, so rallies do not repeat.
    if (lastDirY_ > 0 && TheBall.DirY < 0) ++aimIndex_;
    lastDirY_ = TheBall.DirY;

    // Press to serve or to arm the lasers; release on the next step, which fires.
    const bool wantPress = BallHeld == 1 || (ThePaddle.PaddleKind == PaddleLaser && LaserCooldown == 0);
    if (buttonDown_) {
        events.push_back(At(atMs, plat::ButtonEvent(0, false)));
        buttonDown_ = false;
    } else if (wantPress) {
        events.push_back(At(atMs, plat::ButtonEvent(0, true)));
        buttonDown_ = true;
    }
    const int32_t dx = std::clamp(TargetPaddleX() - PaddleX, -MaxMotion, MaxMotion);
    if (dx != 0) events.push_back(At(atMs, plat::MotionEvent(dx, 0)));
    return events;
}
