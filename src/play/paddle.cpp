#include "play/paddle.h"

Paddle ThePaddle;

int32_t PaddleX = 0;
int32_t PaddleY = 550;
char Morphing = 0;
int32_t MorphTick = 0;
char FireLatch = 0;
plat::MouseState MouseState;
