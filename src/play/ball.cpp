#include "play/ball.h"

Ball TheBall;

int32_t BallX = 0;
int32_t BallY = 0;
float BallSpeed = 0;
float RoundStartSpeed = 5.5f;
char BallHeld = 1;
int32_t HeldOffset = 40;
