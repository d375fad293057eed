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

// The bot presses only Enter, the button and sideways moves.
InputEvent Event(InputEvent::Kind what, uint64_t at, bool down, int32_t dx = 0) {
    InputEvent e;
    e.What = what;
    e.AtMs = at;
    e.Key = plat::Key::Enter;
    e.Down = down;
    e.Dx = dx;
    return e;
}

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

std::vector<InputEvent> Bot::Act(uint64_t atMs) { return Lives > 0 ? InPlay(atMs) : OnTitle(atMs); }

// Enter starts the intro; a second press, once it plays, cuts it short.
std::vector<InputEvent> Bot::OnTitle(uint64_t atMs) {
    buttonDown_ = false;
    if (startArranged_) return {};
    startArranged_ = true;
    using Kind = InputEvent::Kind;
    return {Event(Kind::Key, atMs, true), Event(Kind::Key, atMs + 150, false), Event(Kind::Key, atMs + 1500, true),
            Event(Kind::Key, atMs + 1650, false)};
}

int32_t Bot::TargetPaddleX() const {
    const int32_t aim = Aims[aimIndex_ % static_cast<int>(std::size(Aims))];
    const bool falling = TheBall.DirY > 0 && BallHeld == 0;
    // Go for a capsule while the ball is far away.
    if (CapsuleActive == 1 && CapsuleY < 560 && (!falling || BallY < 330)) return CapsuleColumn * 47 - 3;
    if (falling) return LandingX() - aim;
    return BallX - 50;
}

std::vector<InputEvent> Bot::InPlay(uint64_t atMs) {
    startArranged_ = false;
    std::vector<InputEvent> events;
    if (RoundFrameCount < 15) return events;
    // A new aim after every return from the paddle, so rallies do not repeat.
    if (lastDirY_ > 0 && TheBall.DirY < 0) ++aimIndex_;
    lastDirY_ = TheBall.DirY;

    // Press to serve or to arm the lasers; release on the next step, which fires.
    const bool wantPress = BallHeld == 1 || (ThePaddle.PaddleKind == PaddleLaser && LaserCooldown == 0);
    if (buttonDown_) {
        events.push_back(Event(InputEvent::Kind::Button, atMs, false));
        buttonDown_ = false;
    } else if (wantPress) {
        events.push_back(Event(InputEvent::Kind::Button, atMs, true));
        buttonDown_ = true;
    }
    const int32_t dx = std::clamp(TargetPaddleX() - PaddleX, -MaxMotion, MaxMotion);
    if (dx != 0) events.push_back(Event(InputEvent::Kind::Mouse, atMs, false, dx));
    return events;
}
