// The records of round play. Each has one global instance, declared with
// every other play global in play/play_globals.h; the operations of a record
// are defined in the file of the part that owns it.
#pragma once

#include <cstdint>

#include "gfx/sprite_pos.h"

// The ball (play/ball.cpp): two speed magnitudes and two direction signs,
// per play step.
struct Ball {
    float SpeedX = 0;
    float SpeedY = 0;
    int32_t DirX = 0;  // +1 right, -1 left
    int32_t DirY = 0;  // +1 down, -1 up
    SpritePos Pos;

    // Erases the ball where it was drawn two frames back and draws it at (x, y).
    void Draw(int32_t x, int32_t y);
};

// The paddle (play/paddle.cpp): the player's piece on the line y 550.
struct Paddle {
    SpritePos Pos;
    int32_t PaddleFrame = 0;  // frame within the image row of the morph state
    int32_t PaddleKind = 0;   // play/kinds.h
    char CatchArmed = 0;      // a catch paddle holds the ball at its next hit
    int32_t PaddleMorph = 0;  // morph state 0 to 9

    // Wipes the whole lane the paddle was drawn on two frames back, then
    // draws image (row, frame) at (x, y).
    void Draw(int32_t x, int32_t y, int32_t row, int32_t frame);
};

// The falling capsule (play/capsules.cpp).
struct Capsule {
    int32_t Kind = 0;  // a CapsuleKind (play/kinds.h)
    SpritePos Pos;     // x is the brick column, y the top pixel row

    // Steps the shared animation, wipes the capsule drawn two frames back,
    // draws it at (column, y) and puts the bricks in front of it again.
    void Draw(int32_t column, int32_t y);
    // Wipes the capsule at both its last positions and redraws the bricks
    // they overlapped; the stored position stays.
    void Erase(int32_t column, int32_t y) const;
};

// A volley of the laser paddle's two shots (play/lasers.cpp).
struct LaserPair {
    char Active = 0;
    int32_t X = 0;           // PaddleX when fired
    int32_t LeftHeight = 0;  // above PaddleY; 0 once the shot is gone
    int32_t RightHeight = 0;
};
